# Windows build (mingw-w64): the Win32 side of the seam.
file(GLOB RC_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/*.cpp)
add_library(rc_win32 STATIC ${RC_WIN32_SOURCES})
target_link_libraries(rc_win32 PUBLIC rc_logic)
target_compile_definitions(rc_win32 PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(rc_win32 PUBLIC strmiids ole32 oleaut32 uuid)
