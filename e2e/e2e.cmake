# The Wine end-to-end run, part of the 32-bit Windows build: the 32-bit capture filter that
# loads into RemoteControl.exe, the 64-bit pieces (driver, controller, probe, fake TV
# applications) as an external project, and the ctest entry that runs the harness under one
# xvfb-run.
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

ExternalProject_Add(e2e_win64
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/e2e/win64
    BINARY_DIR ${CMAKE_BINARY_DIR}/e2e-win64
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-x86_64.cmake
               -DCMAKE_BUILD_TYPE=Release
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")

# Runs only where Wine and Xvfb are installed (scripts/install-deps.sh --wine); elsewhere the
# harness exits 77 and ctest counts the test as skipped.
add_test(NAME wine_e2e
         COMMAND ${CMAKE_SOURCE_DIR}/e2e/run_e2e.sh ${CMAKE_BINARY_DIR})
set_tests_properties(wine_e2e PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)

# RemoteMonitor.exe against the same simulated card (e2e/monitor.sh).
add_test(NAME wine_monitor COMMAND ${CMAKE_SOURCE_DIR}/e2e/monitor.sh ${CMAKE_BINARY_DIR})
set_tests_properties(wine_monitor PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
