# Native build: the simulated desktop, remote-sim and the tests.
file(GLOB RC_SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/sim/*.cpp)
add_library(rc_sim STATIC ${RC_SIM_SOURCES} ${RC_CARD_DECODER})
target_link_libraries(rc_sim PUBLIC rc_logic)

enable_testing()
find_package(GTest REQUIRED)
file(GLOB RC_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*.cpp)
add_executable(unit_tests ${RC_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE rc_sim rc_monitor GTest::gtest GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

# remote-sim: the utility on a simulated desktop, driven by a scenario file.
file(GLOB RC_REMOTE_SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/remote_sim/*.cpp)
list(FILTER RC_REMOTE_SIM_SOURCES EXCLUDE REGEX "/main\\.cpp$")
add_library(rc_remote_sim STATIC ${RC_REMOTE_SIM_SOURCES})
target_link_libraries(rc_remote_sim PUBLIC rc_sim rc_monitor)
add_executable(remote-sim ${CMAKE_SOURCE_DIR}/tools/remote_sim/main.cpp)
target_link_libraries(remote-sim PRIVATE rc_remote_sim)
target_link_libraries(unit_tests PRIVATE rc_remote_sim)

# Scenario tests: each scenario's trace against the expected one beside it, and each bad
# scenario's error line.
file(GLOB RC_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scenarios/*.scn
     ${CMAKE_SOURCE_DIR}/tests/scenarios/bad/*.scn ${CMAKE_SOURCE_DIR}/examples/*.scn)
foreach(scenario IN LISTS RC_SCENARIOS)
  file(RELATIVE_PATH name ${CMAKE_SOURCE_DIR} ${scenario})
  add_test(NAME ${name} COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scenarios/check.sh
                                $<TARGET_FILE:remote-sim> ${scenario})
endforeach()

# The soak test (scripts/soak.sh): a simulated week of idle polling must end holding what it
# held after start-up, under 100 MB. Unoptimised and with the sanitizers a week takes about a
# minute, so a sanitizer build runs it against a release remote-sim of its own; what it
# measures, memory that follows the polls and handles left behind, shows alike in both.
if(RC_SANITIZE)
  include(ExternalProject)
  # Under make the sub-build shares the parent's job slots.
  set(build_remote_sim ${CMAKE_COMMAND} --build <BINARY_DIR> --target remote-sim)
  if(CMAKE_GENERATOR MATCHES "Makefiles")
    set(build_remote_sim $(MAKE) remote-sim)
  endif()
  ExternalProject_Add(remote_sim_release
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/soak-release
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DRC_WERROR=${RC_WERROR}
               -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
    BUILD_COMMAND ${build_remote_sim}
    BUILD_ALWAYS ON
    INSTALL_COMMAND "")
  set(RC_SOAK_REMOTE_SIM ${CMAKE_BINARY_DIR}/soak-release/remote-sim)
else()
  set(RC_SOAK_REMOTE_SIM $<TARGET_FILE:remote-sim>)
endif()
add_test(NAME soak/idle_week
         COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/soak.sh ${RC_SOAK_REMOTE_SIM})

# keymap: the key-map reference, written from the command tables. docs/keymap.md is its
# output, and the test fails when the committed file no longer matches.
add_library(rc_keymap STATIC ${CMAKE_SOURCE_DIR}/tools/keymap/keymap.cpp)
target_link_libraries(rc_keymap PUBLIC rc_logic)
add_executable(keymap ${CMAKE_SOURCE_DIR}/tools/keymap/main.cpp)
target_link_libraries(keymap PRIVATE rc_keymap)
target_link_libraries(unit_tests PRIVATE rc_keymap)
add_test(NAME docs/keymap.md COMMAND bash ${CMAKE_SOURCE_DIR}/tools/keymap/check.sh
                                     $<TARGET_FILE:keymap> ${CMAKE_SOURCE_DIR}/docs/keymap.md)

# The allocation counter; the fuzz targets, here each run once over its seed corpus; the
# benchmarks, which scripts/bench.sh runs (ctest does not).
add_subdirectory(measure)
add_subdirectory(fuzz)
add_subdirectory(bench)
