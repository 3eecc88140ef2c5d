// The fixed screen position of the utility's three dialogs, chosen by the width of the
// full-screen client area.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct DialogPlacement {
    std::int32_t width;  // full-screen client width this row is for; only an exact match
    std::int32_t x;
    std::int32_t y;
};

extern const DialogPlacement DialogPlacementTable[6];

// Moves the dialog's top-left corner to the table's position and makes it topmost; for
// a width outside the table the dialog stays where its template put it.
void PlaceDialog(Hwnd dialog);
