#include "routing/dialog_placement.h"

const DialogPlacement DialogPlacementTable[6] = {
    {640, 160, 200},  {800, 280, 250},  {1024, 350, 300},
    {1152, 420, 300}, {1280, 420, 300}, {1600, 580, 340},
};

void PlaceDialog(Hwnd dialog) {
    Platform& platform = Plat();
    std::int32_t width = platform.GetSystemMetrics(SM_CXFULLSCREEN);
    for (const DialogPlacement& row : DialogPlacementTable) {
        if (row.width == width) {
            platform.SetWindowPos(dialog, HWND_TOPMOST, row.x, row.y, 0, 0, SWP_NOSIZE);
            return;
        }
    }
}
