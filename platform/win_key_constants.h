// The virtual keys and application commands that the user's keys file names, under their
// Windows names and values, for code that is built without <windows.h>. A translation unit
// that includes <windows.h> first gets the platform's own definitions instead.
#pragma once

#include <cstdint>

#if !defined(_WINDOWS_) && !defined(_WINDOWS_H)

// Virtual keys that platform/win_constants.h does not name
constexpr std::uint8_t VK_BACK = 0x08;
constexpr std::uint8_t VK_TAB = 0x09;
constexpr std::uint8_t VK_SPACE = 0x20;
constexpr std::uint8_t VK_PRIOR = 0x21;
constexpr std::uint8_t VK_NEXT = 0x22;
constexpr std::uint8_t VK_END = 0x23;
constexpr std::uint8_t VK_HOME = 0x24;
constexpr std::uint8_t VK_INSERT = 0x2D;
constexpr std::uint8_t VK_DELETE = 0x2E;
constexpr std::uint8_t VK_MULTIPLY = 0x6A;
constexpr std::uint8_t VK_DIVIDE = 0x6F;
constexpr std::uint8_t VK_F1 = 0x70;  // F1 to F24 follow one another
constexpr std::uint8_t VK_F24 = 0x87;

// The first message number of a program's private range
constexpr std::uint32_t WM_APP = 0x8000;

// WM_APPCOMMAND's commands
constexpr std::uint32_t APPCOMMAND_VOLUME_MUTE = 8;
constexpr std::uint32_t APPCOMMAND_VOLUME_DOWN = 9;
constexpr std::uint32_t APPCOMMAND_VOLUME_UP = 10;
constexpr std::uint32_t APPCOMMAND_MEDIA_NEXTTRACK = 11;
constexpr std::uint32_t APPCOMMAND_MEDIA_PREVIOUSTRACK = 12;
constexpr std::uint32_t APPCOMMAND_MEDIA_STOP = 13;
constexpr std::uint32_t APPCOMMAND_MEDIA_PLAY_PAUSE = 14;
constexpr std::uint32_t APPCOMMAND_MEDIA_PLAY = 46;
constexpr std::uint32_t APPCOMMAND_MEDIA_PAUSE = 47;
constexpr std::uint32_t APPCOMMAND_MEDIA_RECORD = 48;
constexpr std::uint32_t APPCOMMAND_MEDIA_FAST_FORWARD = 49;
constexpr std::uint32_t APPCOMMAND_MEDIA_REWIND = 50;
constexpr std::uint32_t APPCOMMAND_MEDIA_CHANNEL_UP = 51;
constexpr std::uint32_t APPCOMMAND_MEDIA_CHANNEL_DOWN = 52;

#endif
