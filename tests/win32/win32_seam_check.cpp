// Links the whole Win32 side of the seam (the platform object pulls in every operation and
// so every Windows import) and checks the portable constants that only run time can compare.
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/win32/win32_instance.h"

const char* FirstMismatchedHandleConstant();

namespace {

// The calls for other programs and the user's files, against the real system: the looked-up
// ones are found, and the records travel both ways. The name of the first that fails, or null.
const char* FirstFailingProgramCall() {
    Platform& p = Plat();
    char text[260] = {};
    if (p.SHGetFolderPathA(0, CSIDL_APPDATA, 0, 0, text) != 0 || text[0] == '\0') {
        return "SHGetFolderPathA";
    }
    std::uint32_t id = 0;
    if (p.GetWindowThreadProcessId(p.GetDesktopWindow(), &id) == 0 || id == 0) {
        return "GetWindowThreadProcessId";
    }
    Handle self = p.OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, false, p.GetCurrentProcessId());
    std::uint32_t size = sizeof text;
    if (!self || !p.QueryFullProcessImageNameA(self, 0, text, &size) ||
        !std::strstr(text, "win32_seam_check")) {
        return "QueryFullProcessImageNameA";
    }
    p.CloseHandle(self);
    // Wine's psapi fails on a real handle of a 32-bit process (ERROR_NOACCESS); the
    // pseudo-handle still shows that the call is found and answers.
    if (p.GetModuleFileNameExA(p.GetCurrentProcess(), 0, text, sizeof text) == 0) {
        return "GetModuleFileNameExA";
    }
    const char* path = "seam_check.tmp";
    Handle file =
        p.CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    std::uint32_t written = 0;
    if (file == INVALID_HANDLE_VALUE || !p.WriteFile(file, "12345", 5, &written, nullptr)) {
        return "CreateFileA";
    }
    p.CloseHandle(file);
    FileAttributeData data{};
    bool sized = p.GetFileAttributesExA(path, kFileInfoStandard, &data) && data.Size() == 5 &&
                 data.LastWrite() != 0;
    p.DeleteFileA(path);
    if (!sized) return "GetFileAttributesExA";
    // Found, whatever they answer for nothing to do or the desktop window.
    const Input none[1] = {};
    if (p.SendInput(0, none) != 0 || p.GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        return "SendInput";
    }
    char16_t wide[8];
    p.GetWindowTextW(0, wide, 8);
    if (p.GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) return "GetWindowTextW";
    p.GetAncestor(p.GetDesktopWindow(), GA_ROOTOWNER);
    if (p.GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) return "GetAncestor";
    return nullptr;
}

}  // namespace

int main() {
    InstallPlatform(&Win32PlatformInstance());
    if (const char* name = FirstMismatchedHandleConstant()) {
        std::printf("%s in platform/win_constants.h differs from <windows.h>\n", name);
        return 1;
    }
    if (const char* call = FirstFailingProgramCall()) {
        std::printf("%s failed: error %u\n", call, static_cast<unsigned>(Plat().GetLastError()));
        return 1;
    }
    std::printf("Win32 seam ok (tick count %u)\n", static_cast<unsigned>(Plat().GetTickCount()));
    return 0;
}
