#include "routing/pointer_mode.h"

PointerState pointerState;

void MovePointerOrClick(RemoteKey) {}

void InitPointerBounds() {}

void UpdatePointerBounds(std::int32_t, std::int32_t) {}
