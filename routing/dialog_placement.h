// The fixed screen position of the utility's three dialogs, chosen by the width of the
// full-screen client area.
#pragma once

#include "platform/platform.h"

// Moves the dialog's top-left corner to the table's position and makes it topmost; for
// a width outside the table the dialog stays where its template put it, and the result is
// false.
bool PlaceDialog(Hwnd dialog);
