# Windows build (mingw-w64): the Win32 side of the seam, and RemoteControl.exe.
enable_language(RC)
enable_testing()

file(GLOB RC_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
# The entry belongs to the program alone, not to the library that the checks link too.
list(FILTER RC_WIN32_SOURCES EXCLUDE REGEX "/win_main\\.cpp$")
add_library(rc_win32 STATIC ${RC_WIN32_SOURCES})
target_link_libraries(rc_win32 PUBLIC rc_logic user32 shell32 advapi32 kernel32)
target_compile_definitions(rc_win32 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)

# The names of the portable Windows constants, read from their header, so that the seam check
# below compares every one of them with <windows.h>. Handle-valued ones (std::uintptr_t) are
# pointers in <windows.h> and are compared at run time.
set(RC_WIN_CONSTANTS_HEADERS ${CMAKE_SOURCE_DIR}/platform/win_constants.h
    ${CMAKE_SOURCE_DIR}/platform/win_shell_constants.h ${CMAKE_SOURCE_DIR}/platform/device_constants.h
    ${CMAKE_SOURCE_DIR}/platform/win_key_constants.h)
set(RC_WIN_CONSTANTS_TEXT "")
foreach(header IN LISTS RC_WIN_CONSTANTS_HEADERS)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
  file(READ ${header} text)
  string(APPEND RC_WIN_CONSTANTS_TEXT "${text}")
endforeach()
string(REGEX MATCHALL "constexpr [a-z0-9_:]+ [A-Z][A-Z0-9_]* =" RC_WIN_CONSTANT_DECLS
       "${RC_WIN_CONSTANTS_TEXT}")
set(RC_WIN_CONSTANT_LIST "")
foreach(decl IN LISTS RC_WIN_CONSTANT_DECLS)
  string(REGEX MATCH "constexpr ([a-z0-9_:]+) ([A-Z][A-Z0-9_]*) =" _ "${decl}")
  if(CMAKE_MATCH_1 STREQUAL "std::uintptr_t")
    string(APPEND RC_WIN_CONSTANT_LIST "    HANDLE_VALUE(${CMAKE_MATCH_2}) \\\n")
  else()
    string(APPEND RC_WIN_CONSTANT_LIST "    NUMBER(${CMAKE_MATCH_2}) \\\n")
  endif()
endforeach()
if(RC_WIN_CONSTANT_LIST STREQUAL "")
  message(FATAL_ERROR "No constants found in ${RC_WIN_CONSTANTS_HEADERS}")
endif()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/win_constant_names.h
     CONTENT "// Generated from platform/win_constants.h by cmake/windows.cmake.\n#pragma once\n\n#define RC_WIN_CONSTANTS(NUMBER, HANDLE_VALUE) \\\n${RC_WIN_CONSTANT_LIST}\n"
     @ONLY)

# A console program that links the whole Win32 side, so that every operation's import is
# resolved at build time, and checks the portable constants against <windows.h>.
add_executable(win32_seam_check ${CMAKE_SOURCE_DIR}/tests/win32/win32_seam_check.cpp
                                ${CMAKE_SOURCE_DIR}/tests/win32/win_constants_check.cpp)
target_include_directories(win32_seam_check PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_compile_definitions(win32_seam_check PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(win32_seam_check PRIVATE rc_win32)
target_link_options(win32_seam_check PRIVATE -static)

target_link_libraries(rc_win32 PUBLIC strmiids ole32 oleaut32 uuid)

# Small code: the program is copied by hand to the PC of a TV-card owner. The exe's code throws
# nothing and asks no type of its objects, so it is built without exceptions, RTTI and unwind
# tables; its libraries then pull in none of the C++ runtime's exception support, which with
# its unwinder, demangler and thread locks is larger than the program (docs/performance.md).
set(RC_EXE_CODE_FLAGS -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -fno-unwind-tables)
foreach(target rc_logic rc_monitor rc_win32)
  target_compile_options(${target} PRIVATE ${RC_EXE_CODE_FLAGS} -ffunction-sections
                         -fdata-sections)
endforeach()
# With a data section per object, mingw's GCC stores zero-initialised objects in the file too:
# the user keys' tables and read buffer (about 110 KiB of zeros) stay in .bss without them.
set_source_files_properties(${CMAKE_SOURCE_DIR}/routing/user_keys.cpp TARGET_DIRECTORY rc_logic
                            PROPERTIES COMPILE_OPTIONS -fno-data-sections)

# RemoteControl.exe: 32-bit GUI program, statically linked, so that it needs no DLL beyond
# those of Windows itself. No manifest is built in (mingw-w64 on Debian links none by default):
# the settings are opened under HKLM with KEY_ALL_ACCESS, which standard users on Vista and later
# get only through registry virtualization, and a manifest with a requested execution level
# would turn that off.
add_executable(RemoteControl WIN32 ${CMAKE_SOURCE_DIR}/platform/win32/win_main.cpp
                                   ${CMAKE_SOURCE_DIR}/shell/resources/remote_control.rc)
target_include_directories(RemoteControl PRIVATE ${CMAKE_SOURCE_DIR}/shell/resources)
target_compile_definitions(RemoteControl PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_options(RemoteControl PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${RC_EXE_CODE_FLAGS}>")
target_link_libraries(RemoteControl PRIVATE rc_win32)
target_link_options(RemoteControl PRIVATE -mwindows -static -static-libgcc -static-libstdc++
                    -Wl,--gc-sections -s)

# RemoteMonitor.exe: the console program that shows what the remote sends and what the
# utility would do with it, built from the same logic and Win32 side. No manifest either: it
# reads the settings the way the utility does, registry virtualization included.
add_executable(RemoteMonitor ${CMAKE_SOURCE_DIR}/monitor/win32/monitor_main.cpp)
target_compile_definitions(RemoteMonitor PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_options(RemoteMonitor PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${RC_EXE_CODE_FLAGS}>")
target_link_libraries(RemoteMonitor PRIVATE rc_monitor rc_win32)
target_link_options(RemoteMonitor PRIVATE -mconsole -static -static-libgcc -static-libstdc++
                    -Wl,--gc-sections -s)

# The exe's form; the Wine tests of the real program and their tools are in e2e/e2e.cmake.
add_test(NAME win32/exe_checks
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/exe_checks.sh ${CMAKE_BINARY_DIR}
                 ${CMAKE_OBJDUMP} ${CMAKE_RC_COMPILER})

# What the exe's figures under Wine need on the Windows side (docs/performance.md).
add_subdirectory(${CMAKE_SOURCE_DIR}/bench/wine ${CMAKE_BINARY_DIR}/bench-wine)
