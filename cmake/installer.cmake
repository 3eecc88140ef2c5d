# The Windows installer, RemoteControl-Setup-<version>.exe, built with NSIS from installer/,
# and its test under Wine.
find_program(RC_MAKENSIS makensis)
if(NOT RC_MAKENSIS)
  message(FATAL_ERROR "makensis not found: run scripts/install-deps.sh (Debian package nsis)")
endif()

set(RC_SETUP ${CMAKE_BINARY_DIR}/RemoteControl-Setup-${PROJECT_VERSION}.exe)
set(RC_SETUP_SCRIPT ${CMAKE_SOURCE_DIR}/installer/RemoteControl.nsi)
set(RC_SETUP_ICON ${CMAKE_SOURCE_DIR}/shell/resources/remote.ico)
add_custom_command(
  OUTPUT ${RC_SETUP}
  COMMAND ${RC_MAKENSIS} -V2 -WX -DVERSION=${PROJECT_VERSION}
          -DRC_EXE=$<TARGET_FILE:RemoteControl> -DRC_MONITOR_EXE=$<TARGET_FILE:RemoteMonitor>
          -DRC_ICON=${RC_SETUP_ICON}
          -DRC_OUTFILE=${RC_SETUP} ${RC_SETUP_SCRIPT}
  DEPENDS RemoteControl RemoteMonitor ${RC_SETUP_SCRIPT} ${RC_SETUP_ICON}
  COMMENT "Building the installer RemoteControl-Setup-${PROJECT_VERSION}.exe"
  VERBATIM)
add_custom_target(installer ALL DEPENDS ${RC_SETUP})

# Tells the Wine test when the installed utility's window is up, or gone.
add_executable(wait_for_window ${CMAKE_SOURCE_DIR}/tests/installer/wait_for_window.cpp)
target_link_options(wait_for_window PRIVATE -static)

enable_testing()
add_test(NAME installer/wine
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/installer/wine_installer_test.sh ${RC_SETUP}
                 $<TARGET_FILE:RemoteControl> $<TARGET_FILE:wait_for_window>
                 $<TARGET_FILE:RemoteMonitor> ${CMAKE_BINARY_DIR}/e2e-win64/sim_card_ctl.exe)
set_tests_properties(installer/wine PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
