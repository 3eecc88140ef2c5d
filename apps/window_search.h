#pragma once

#include "platform/platform.h"

// The first top-level window, in Z order, whose title begins with `prefix`, compared
// case-sensitively over at most 127 characters; 0 when none does.
Hwnd FindWindowByTitlePrefix(const char* prefix);
