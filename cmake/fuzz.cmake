# Fuzz build (clang, libFuzzer): the simulated desktop, remote-sim's scenario code, the
# allocation counter and the fuzz targets, each of which ctest runs for RC_FUZZ_SECONDS.
file(GLOB RC_SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sim/*.cpp)
add_library(rc_sim STATIC ${RC_SIM_SOURCES} ${RC_CARD_DECODER})
target_link_libraries(rc_sim PUBLIC rc_logic)
# The desktop is the fuzzers' world, not their subject: its branches would only dilute the
# coverage feedback and slow every run. The card and its decoder are the subject of one
# target.
list(FILTER RC_SIM_SOURCES EXCLUDE REGEX "/sim_card\\.cpp$")
set_property(SOURCE ${RC_SIM_SOURCES} APPEND PROPERTY COMPILE_OPTIONS
             -fno-sanitize=fuzzer-no-link)

file(GLOB RC_REMOTE_SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/remote_sim/*.cpp)
list(FILTER RC_REMOTE_SIM_SOURCES EXCLUDE REGEX "/main\\.cpp$")
add_library(rc_remote_sim STATIC ${RC_REMOTE_SIM_SOURCES})
target_link_libraries(rc_remote_sim PUBLIC rc_sim rc_monitor)

enable_testing()
add_subdirectory(measure)
add_subdirectory(fuzz)
