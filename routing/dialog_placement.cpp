#include "routing/dialog_placement.h"

namespace {

struct DialogPlacement {
    std::int32_t width;  // full-screen client width this row is for; only an exact match
    std::int32_t x;
    std::int32_t y;
};

constexpr DialogPlacement DialogPlacementTable[] = {
    {640, 160, 200},  {800, 280, 250},  {1024, 350, 300},
    {1152, 420, 300}, {1280, 420, 300}, {1600, 580, 340},
};

}  // namespace

bool PlaceDialog(Hwnd dialog) {
    Platform& platform = Plat();
    std::int32_t width = platform.GetSystemMetrics(SM_CXFULLSCREEN);
    for (const DialogPlacement& row : DialogPlacementTable) {
        if (row.width == width) {
            platform.SetWindowPos(dialog, HWND_TOPMOST, row.x, row.y, 0, 0, SWP_NOSIZE);
            return true;
        }
    }
    return false;
}
