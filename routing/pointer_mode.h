// Pointer mode: with no TV application in use the remote drives the mouse pointer.
#pragma once

#include <cstdint>

#include "receiver/remote_keys.h"

struct PointerBounds {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct PointerState {
    std::int32_t moveCount = 0;  // moves in the current run of one held key
    bool dragButtonDown = false;
    PointerBounds bounds;
    std::int32_t smallStep = 0;
    std::int32_t largeStep = 0;
};

// What a key does in pointer mode; `dx` and `dy` give a move's direction.
enum class PointerAction : std::uint8_t { None, Move, LeftClick, RightClick, DragToggle };
struct PointerKeyAction {
    PointerAction action = PointerAction::None;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
};

void MovePointerOrClick(RemoteKey key);
// Read-only, for the key-map reference as much as for MovePointerOrClick.
PointerKeyAction PointerActionOf(RemoteKey key);
void InitPointerBounds();
void UpdatePointerBounds(std::int32_t width, std::int32_t height);
