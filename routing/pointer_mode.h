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

extern PointerState pointerState;

void MovePointerOrClick(RemoteKey key);
void InitPointerBounds();
void UpdatePointerBounds(std::int32_t width, std::int32_t height);
