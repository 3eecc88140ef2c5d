// The user's files: %APPDATA%, files with their bytes and times, folders, and file handles.
#include <algorithm>
#include <cstring>

#include "platform/device_constants.h"
#include "sim/sim_desktop.h"
#include "sim/sim_text.h"

namespace {

constexpr Handle kFirstFileHandle = 0xA000;
constexpr std::size_t kMaxPath = 260;
constexpr HResult kInvalidArgument = static_cast<HResult>(0x80070057u);
constexpr HResult kNotImplemented = static_cast<HResult>(0x80070078u);

std::string ParentOf(const std::string& key) {
    std::size_t slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

// `key` is `folder` or one of its parents.
bool OnPathTo(const std::string& key, const std::string& folder) {
    if (key.size() > folder.size() || folder.compare(0, key.size(), key) != 0) return false;
    return key.size() == folder.size() || folder[key.size()] == '\\';
}

// %APPDATA% as the release has it: the user's profile under C:\Users from Vista on, under
// C:\Documents and Settings before it; the Windows folder's on the 95 family.
std::string AppDataOf(const SimDesktop& desk) {
    const SimSystem& system = desk.system;
    if (system.win9xFamily) return system.windowsDirectory + "\\Application Data";
    if (!system.NtAtLeast(0x0600)) {
        return "C:\\Documents and Settings\\" + desk.files.userName + "\\Application Data";
    }
    return "C:\\Users\\" + desk.files.userName + "\\AppData\\Roaming";
}

bool DirectoryExists(const SimDesktop& desk, const std::string& key) {
    if (key.empty()) return false;
    if (key == "c:" || desk.files.directories.count(key) != 0) return true;
    return OnPathTo(key, SimFiles::Key(AppDataOf(desk))) ||
           OnPathTo(key, SimFiles::Key(desk.system.windowsDirectory));
}

FileTime Split(std::uint64_t time) {
    return FileTime{static_cast<std::uint32_t>(time), static_cast<std::uint32_t>(time >> 32)};
}

// Whether a new open conflicts with a handle already open: each must share what the other
// does.
bool Conflicts(const SimOpenFile& old, bool read, bool write, std::uint32_t share) {
    return (read && !(old.share & FILE_SHARE_READ)) || (write && !(old.share & FILE_SHARE_WRITE)) ||
           (old.read && !(share & FILE_SHARE_READ)) || (old.write && !(share & FILE_SHARE_WRITE));
}

}  // namespace

std::string SimFiles::Key(const std::string& path) {
    std::string key = Lower(path);
    std::replace(key.begin(), key.end(), '/', '\\');
    while (!key.empty() && key.back() == '\\')
        key.pop_back();
    return key;
}

void SimFiles::Put(const std::string& path, const std::string& bytes, std::uint64_t time) {
    std::string key = Key(path);
    for (std::string folder = ParentOf(key); !folder.empty(); folder = ParentOf(folder))
        directories.insert(folder);
    auto found = files.find(key);
    if (found == files.end()) found = files.emplace(key, SimFile{path, "", time, time}).first;
    found->second.bytes = bytes;
    found->second.lastWrite = time;
}

void SimDesktop::UserSavesFile(const std::string& path, const std::string& text, bool gone) {
    std::string key = SimFiles::Key(path);
    for (const auto& [handle, open] : files.open) {
        if (open.key == key && !(open.share & (gone ? 0u : FILE_SHARE_WRITE))) {
            Trace("file save refused \"" + path + "\" (in use)");
            return;
        }
    }
    if (gone) {
        if (files.files.erase(key) != 0) Trace("file deleted \"" + path + "\"");
        return;
    }
    files.Put(path, text, SimFiles::kRunStart + now * 10000);
    Trace("file saved \"" + path + "\" " + std::to_string(text.size()) + " bytes");
}

// Only the roaming application data folder is modelled; the 95 family's shell32 lacks the
// call (shfolder.dll's copy is not looked for).
HResult SimDesktop::SHGetFolderPathA(Hwnd, int folder, Handle, std::uint32_t, char* path) {
    ++calls;
    if (system.win9xFamily) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return kNotImplemented;
    }
    if (!path) return kInvalidArgument;
    path[0] = '\0';
    if ((folder & 0xFF) != CSIDL_APPDATA) return kInvalidArgument;
    std::string appData = AppDataOf(*this);
    std::size_t count = std::min(appData.size(), kMaxPath - 1);
    std::memcpy(path, appData.data(), count);
    path[count] = '\0';
    return S_OK;
}

Handle SimDesktop::CreateFileA(const char* path, std::uint32_t access, std::uint32_t share,
                               SecurityAttributes*, std::uint32_t disposition, std::uint32_t,
                               Handle) {
    ++calls;
    std::string given = OrEmpty(path);
    std::string key = SimFiles::Key(given);
    auto fail = [this](std::uint32_t error) {
        system.lastError = error;
        return static_cast<Handle>(INVALID_HANDLE_VALUE);
    };
    if (key.empty() || !DirectoryExists(*this, ParentOf(key))) return fail(ERROR_PATH_NOT_FOUND);
    if (DirectoryExists(*this, key)) return fail(ERROR_ACCESS_DENIED);
    bool read = (access & GENERIC_READ) != 0;
    bool write = (access & GENERIC_WRITE) != 0;
    auto found = files.files.find(key);
    bool exists = found != files.files.end();
    bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    switch (disposition) {
        case CREATE_NEW:
            if (exists) return fail(ERROR_FILE_EXISTS);
            break;
        case CREATE_ALWAYS:
        case OPEN_ALWAYS:
            break;
        case OPEN_EXISTING:
        case TRUNCATE_EXISTING:
            if (!exists) return fail(ERROR_FILE_NOT_FOUND);
            if (disposition == TRUNCATE_EXISTING && !write) return fail(ERROR_INVALID_PARAMETER);
            break;
        default:
            return fail(ERROR_INVALID_PARAMETER);
    }
    for (const auto& [handle, open] : files.open) {
        if (open.key == key && Conflicts(open, read, write, share)) {
            return fail(ERROR_SHARING_VIOLATION);
        }
    }
    std::uint64_t time = SimFiles::kRunStart + now * 10000;
    if (!exists || truncates) {
        files.Put(exists ? found->second.path : given, "", time);
        Trace("file create \"" + given + "\"");
    } else {
        Trace("file open \"" + given + "\"" + (read ? " read" : "") + (write ? " write" : ""));
    }
    system.lastError = exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS)
                           ? ERROR_ALREADY_EXISTS
                           : 0;
    Handle handle = kFirstFileHandle;
    while (files.open.count(handle) != 0)
        handle += 4;  // Windows hands out a closed handle's value again
    files.open[handle] = SimOpenFile{key, read, write, share, 0};
    return handle;
}

bool SimDesktop::ReadUserFile(Handle file, void* data, std::uint32_t size, std::uint32_t* read) {
    SimOpenFile& open = files.open.at(file);
    if (!open.read) {
        system.lastError = ERROR_ACCESS_DENIED;
        return false;
    }
    const std::string& bytes = files.files[open.key].bytes;
    std::size_t count = open.position < bytes.size()
                            ? std::min<std::size_t>(size, bytes.size() - open.position)
                            : 0;
    if (count) std::memcpy(data, bytes.data() + open.position, count);
    open.position += count;
    if (read) *read = static_cast<std::uint32_t>(count);
    return true;
}

bool SimDesktop::WriteUserFile(Handle file, const void* data, std::uint32_t size,
                               std::uint32_t* written) {
    SimOpenFile& open = files.open.at(file);
    if (!open.write) {
        system.lastError = ERROR_ACCESS_DENIED;
        return false;
    }
    SimFile& target = files.files[open.key];
    if (target.bytes.size() < open.position + size) target.bytes.resize(open.position + size);
    if (size) target.bytes.replace(open.position, size, static_cast<const char*>(data), size);
    open.position += size;
    target.lastWrite = SimFiles::kRunStart + now * 10000;
    if (written) *written = size;
    Trace("file write \"" + target.path + "\" " + std::to_string(size) + " bytes");
    return true;
}

bool SimDesktop::GetFileAttributesExA(const char* path, std::uint32_t infoLevel,
                                      FileAttributeData* data) {
    ++calls;
    if (infoLevel != kFileInfoStandard || !data || !path) {
        system.lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    std::string key = SimFiles::Key(path);
    *data = FileAttributeData{};
    if (DirectoryExists(*this, key)) {
        data->attributes = FILE_ATTRIBUTE_DIRECTORY;
        data->creationTime = data->lastAccessTime = data->lastWriteTime =
            Split(SimFiles::kRunStart);
        return true;
    }
    auto found = files.files.find(key);
    if (found == files.files.end()) {
        bool folder = DirectoryExists(*this, ParentOf(key));
        system.lastError = folder ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
        return false;
    }
    const SimFile& file = found->second;
    data->attributes = FILE_ATTRIBUTE_ARCHIVE;
    data->creationTime = Split(file.created);
    data->lastAccessTime = data->lastWriteTime = Split(file.lastWrite);
    std::uint64_t size = file.bytes.size();
    data->sizeHigh = static_cast<std::uint32_t>(size >> 32);
    data->sizeLow = static_cast<std::uint32_t>(size);
    return true;
}

bool SimDesktop::CreateDirectoryA(const char* path, SecurityAttributes*) {
    ++calls;
    std::string given = OrEmpty(path);
    std::string key = SimFiles::Key(given);
    if (DirectoryExists(*this, key) || files.files.count(key) != 0) {
        system.lastError = ERROR_ALREADY_EXISTS;
        return false;
    }
    if (!DirectoryExists(*this, ParentOf(key))) {
        system.lastError = ERROR_PATH_NOT_FOUND;
        return false;
    }
    files.directories.insert(key);
    Trace("directory create \"" + given + "\"");
    return true;
}
