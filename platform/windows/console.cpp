#include "platform/console.h"

#include <io.h>

#include <cstdio>

#include "platform/windows/win32.h"

namespace qormap {

namespace {

// A file's identity: its volume and its index there (inode numbers are
// always 0 in the C runtime's stat on Windows).
bool identify(HANDLE file, BY_HANDLE_FILE_INFORMATION& information) {
    return file != INVALID_HANDLE_VALUE && GetFileType(file) == FILE_TYPE_DISK &&
           GetFileInformationByHandle(file, &information) != 0;
}

}  // namespace

bool isStandardOutputFile(const char* path) {
    const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)));
    BY_HANDLE_FILE_INFORMATION consoleFile{};
    std::wstring wide;
    int error = 0;
    if (!identify(console, consoleFile) || !widePath(path, wide, error)) {
        return false;
    }
    // No access asked, only the identity: not even a file open for writing
    // elsewhere is in the way. Folders open only with backup semantics.
    const HANDLE target =
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION targetFile{};
    const bool same = identify(target, targetFile) &&
                      targetFile.dwVolumeSerialNumber == consoleFile.dwVolumeSerialNumber &&
                      targetFile.nFileIndexHigh == consoleFile.nFileIndexHigh &&
                      targetFile.nFileIndexLow == consoleFile.nFileIndexLow;
    if (target != INVALID_HANDLE_VALUE) {
        CloseHandle(target);
    }
    return same;
}

// The C runtime's _isatty says yes to any character device, NUL among them;
// only a console has a console mode.
bool isConsole(std::FILE* stream) {
    DWORD mode = 0;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace qormap
