# The Wine tests of the real RemoteControl.exe, part of the 32-bit Windows build: the smoke
# test and the end-to-end run. Their 32-bit tools are built here, beside the utility: the
# capture filter that loads into it and the probe; the 64-bit pieces of the end-to-end run
# (driver, controller, fake TV applications) come from an external project. Both tests need
# Wine, an X display and the tools that scripts/install-deps.sh --wine installs.
include(ExternalProject)

add_library(sim_capture_filter32 SHARED ${CMAKE_SOURCE_DIR}/e2e/filter/sim_capture_filter.cpp
                                        ${CMAKE_SOURCE_DIR}/e2e/filter/sim_capture_filter_id.cpp)
set_target_properties(sim_capture_filter32 PROPERTIES PREFIX "")
target_include_directories(sim_capture_filter32 PRIVATE ${CMAKE_SOURCE_DIR})
# COM finds DllGetClassObject by its plain name; static runtimes need no mingw DLLs.
target_link_options(sim_capture_filter32 PRIVATE -static -Wl,--kill-at)
target_link_libraries(sim_capture_filter32 PRIVATE ole32 oleaut32 uuid strmiids)
# COM interfaces have no virtual destructor by design: objects end through Release.
target_compile_options(sim_capture_filter32 PRIVATE -Wno-non-virtual-dtor)

# The probe: the receiver's way without the utility, and the utility's windows from outside.
add_executable(rc_probe ${CMAKE_SOURCE_DIR}/e2e/probe/rc_probe.cpp
                        ${RC_CARD_DECODER})
target_compile_definitions(rc_probe PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(rc_probe PRIVATE rc_win32)
target_link_options(rc_probe PRIVATE -static -static-libgcc -static-libstdc++)

ExternalProject_Add(e2e_win64
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/e2e/win64
    BINARY_DIR ${CMAKE_BINARY_DIR}/e2e-win64
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-x86_64.cmake
               -DCMAKE_BUILD_TYPE=Release
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")

add_test(NAME e2e/exe_smoke COMMAND bash ${CMAKE_SOURCE_DIR}/e2e/exe_smoke.sh ${CMAKE_BINARY_DIR})
set_tests_properties(e2e/exe_smoke PROPERTIES TIMEOUT 600)

# Where Wine or Xvfb is missing the end-to-end run exits 77 and ctest counts it as skipped.
add_test(NAME wine_e2e
         COMMAND ${CMAKE_SOURCE_DIR}/e2e/run_e2e.sh ${CMAKE_BINARY_DIR})
set_tests_properties(wine_e2e PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)

# RemoteMonitor.exe against the same simulated card (e2e/monitor.sh).
add_test(NAME wine_monitor COMMAND ${CMAKE_SOURCE_DIR}/e2e/monitor.sh ${CMAKE_BINARY_DIR})
set_tests_properties(wine_monitor PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
