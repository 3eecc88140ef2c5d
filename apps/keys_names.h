// The words of keys.ini's actions: the keyboard's keys and modifiers, the app commands and the
// media keys. Names compare without case; `text` need not be terminated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "apps/action.h"

// Ctrl, Shift, Alt, Win: the modifier's bit (kModCtrl ...).
bool FindModifier(const char* text, std::size_t size, std::uint8_t* bit);
// A to Z, 0 to 9, F1 to F24, Num0 to Num9 and the named keys (Space, Enter, PgUp, Num+ ...):
// the virtual key. Letters and digits are their virtual keys, whatever the keyboard layout.
bool FindKeyboardKey(const char* text, std::size_t size, std::uint8_t* vk);
// play-pause, stop, volume-up ...: the APPCOMMAND_ number.
bool FindAppCommand(const char* text, std::size_t size, std::uint32_t* command);
// play-pause, stop, next, previous, volume-up, volume-down, mute: the media key's virtual key.
bool FindMediaKey(const char* text, std::size_t size, std::uint8_t* vk);

// The names back, as the file gives them; nullptr for a value that has none.
const char* KeyboardKeyName(std::uint8_t vk);
const char* ModifierName(std::uint8_t bit);
const char* AppCommandName(std::uint32_t command);
const char* MediaKeyName(std::uint8_t vk);

// The lists of names in the order the file's reader tries them, for the key-map reference.
enum class KeysNameList : std::uint8_t { Modifiers, AppCommands, MediaKeys };
// The list's entry at `order` (from 0) with its value (modifier bit, APPCOMMAND_ number,
// virtual key); nullptr past the end.
const char* ListedKeysName(KeysNameList list, int order, std::uint32_t* value);
