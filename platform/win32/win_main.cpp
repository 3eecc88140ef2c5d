// The Windows program's entry. The logic's start-up and message loop are portable; this file
// only puts the Win32 platform under them before anything else runs.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_instance.h"
#include "shell/main_window.h"
#include "shell/static_objects.h"

namespace {

// The application records read the registry while they are built, before WinMain, so the
// platform goes in first, from the same constructor. Every global of the logic is
// constant-initialised (a check in the Windows build makes sure of it), so no other
// constructor can run after this one and undo it.
struct StaticConstruction {
    StaticConstruction() {
        InstallPlatform(&Win32PlatformInstance());
        ConstructStaticObjects();
    }
};
const StaticConstruction staticConstruction;

}  // namespace

// RunRemoteControl ends with the exit actions that disarm the timers, and nothing ends the
// process between them and this return; an atexit registration would only find them done.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunRemoteControl(FromNative(instance));
}
