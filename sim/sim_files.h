// The user's files: a small file system of paths (compared ignoring case, '/' read as '\'),
// each file with its bytes and last-write time, folders, and the handles that CreateFileA
// opens. %APPDATA% is the session's user's roaming folder, as the Windows release puts it;
// it and its parents exist from the start. File times are FILETIMEs: the clock's ms since
// the run began, from kRunStart. The operations are SimDesktop's, in sim_files.cpp.
//
// As on NTFS, a file's last-write time changes with every write; CreateFileA holds to the
// share modes of the handles already open (ERROR_SHARING_VIOLATION), to its disposition
// (ERROR_FILE_EXISTS, ERROR_FILE_NOT_FOUND) and to the parent folder (ERROR_PATH_NOT_FOUND);
// CreateDirectoryA makes one folder whose parent exists.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "platform/platform.h"

struct SimFile {
    std::string path;  // as first written
    std::string bytes;
    std::uint64_t lastWrite = 0;  // FILETIME
    std::uint64_t created = 0;
};

struct SimOpenFile {
    std::string key;  // the file's lower-case path
    bool read = false;
    bool write = false;
    std::uint32_t share = 0;
    std::size_t position = 0;
};

struct SimFiles {
    static constexpr std::uint64_t kRunStart = 134405568000000000ull;  // 2026-12-01 00:00 UTC
    std::string userName = "Alex";
    std::map<std::string, SimFile> files;             // lower-case path -> file
    std::set<std::string> directories;                // lower-case paths made by CreateDirectoryA
    std::map<Handle, SimOpenFile> open;               // handles from CreateFileA
    static std::string Key(const std::string& path);  // lower case, '\', no trailing '\'
    // A file written with these bytes at `time` (a FILETIME), its folders made as needed.
    void Put(const std::string& path, const std::string& bytes, std::uint64_t time);
};
