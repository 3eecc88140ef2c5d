// The class of the simulated TV card's capture filter.
#pragma once

#include <windows.h>

extern const CLSID CLSID_SimCaptureFilter;
