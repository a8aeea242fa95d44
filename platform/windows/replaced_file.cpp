#include <fcntl.h>
#include <io.h>

#include <cctype>
#include <cerrno>

#include "platform/file_names.h"
#include "platform/replaced_file.h"
#include "platform/replaced_file_system.h"
#include "platform/windows/win32.h"

namespace qormap {

namespace {

// The temporary file the console's handler must remove. The handler runs on
// a thread of its own, so the name is only read or changed under this lock.
SRWLOCK pendingLock = SRWLOCK_INIT;
wchar_t pendingTemporary[32768];  // the longest path the system takes
bool temporaryPending = false;

// Ctrl-C, Ctrl-Break, the console closing, logoff and shutdown all end the
// process after the handlers; the lock is kept, so that no new temporary
// file appears in the moments left.
BOOL WINAPI removePendingTemporary(DWORD) {
    AcquireSRWLockExclusive(&pendingLock);
    if (temporaryPending) {
        DeleteFileW(pendingTemporary);
    }
    return FALSE;  // on to the default handler, which ends the process
}

// Device names (CON, NUL, COM1...) mean the device in any folder and with any
// ending; "\\.\" paths name devices and pipes outright.
bool isDevicePath(const std::string& path) {
    if (path.rfind("\\\\.\\", 0) == 0 || path.rfind("//./", 0) == 0) {
        return true;
    }
    std::string name = withoutFolder(path.c_str());
    name = name.substr(0, name.find('.'));
    while (!name.empty() && (name.back() == ' ' || name.back() == ':')) {
        name.pop_back();
    }
    for (char& c : name) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (name == "CON" || name == "NUL" || name == "PRN" || name == "AUX" || name == "CONIN$" ||
        name == "CONOUT$") {
        return true;
    }
    return name.size() == 4 && (name.rfind("COM", 0) == 0 || name.rfind("LPT", 0) == 0) &&
           name[3] >= '1' && name[3] <= '9';
}

}  // namespace

bool landingPath(const std::string& target, std::string& landing, int& /*error*/) {
    landing = target;
    return true;
}

// Devices and pipes are whatever the system does not keep on a disk.
bool inspectTarget(const std::string& path, TargetKind& kind, int& error) {
    kind = TargetKind::stream;
    if (isDevicePath(path)) {
        return true;
    }
    std::wstring wide;
    if (!widePath(path, wide, error)) {
        return false;
    }
    const HANDLE handle =
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        kind = TargetKind::missing;
        error = errnoFromWin32(code);
        return code == ERROR_FILE_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    bool known = true;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        kind = TargetKind::stream;
    } else if (GetFileInformationByHandle(handle, &information) != 0) {
        const bool folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        kind = folder ? TargetKind::folder : TargetKind::file;
    } else {
        known = false;
        error = errnoFromWin32(GetLastError());
    }
    CloseHandle(handle);
    return known;
}

// A read-only file, or one whose access list denies writing, is refused.
bool mayWrite(const std::string& path, int& error) {
    std::wstring wide;
    if (!widePath(path, wide, error)) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        error = EACCES;
        return false;
    }
    const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = errnoFromWin32(GetLastError());
        return false;
    }
    CloseHandle(handle);
    return true;
}

std::FILE* openInPlace(const std::string& path, int& error) {
    std::wstring wide;
    if (!widePath(path, wide, error)) {
        return nullptr;
    }
    std::FILE* file = _wfopen(wide.c_str(), L"wb");
    if (file == nullptr) {
        error = errno;
    }
    return file;
}

// A new file takes the folder's permissions, as one made by fopen would.
std::FILE* createNew(const std::string& name, const std::string&, int& error) {
    std::wstring wide;
    if (!widePath(name, wide, error)) {
        return nullptr;
    }
    const HANDLE handle =
        CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = errnoFromWin32(GetLastError());
        return nullptr;
    }
    // The C runtime's stream owns the handle once it has a descriptor.
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    std::FILE* file = descriptor >= 0 ? _fdopen(descriptor, "wb") : nullptr;
    if (file != nullptr) {
        return file;
    }
    error = errno;
    if (descriptor >= 0) {
        _close(descriptor);
    } else {
        CloseHandle(handle);
    }
    DeleteFileW(wide.c_str());
    return nullptr;
}

bool moveOver(const std::string& from, const std::string& to, int& error) {
    std::wstring wideFrom;
    std::wstring wideTo;
    if (!widePath(from, wideFrom, error) || !widePath(to, wideTo, error)) {
        return false;
    }
    if (MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        error = errnoFromWin32(GetLastError());
        return false;
    }
    return true;
}

void removeFile(const std::string& path) {
    std::wstring wide;
    int error = 0;
    if (widePath(path, wide, error)) {
        DeleteFileW(wide.c_str());
    }
}

void holdPending() {
    AcquireSRWLockExclusive(&pendingLock);
}

void releasePending() {
    ReleaseSRWLockExclusive(&pendingLock);
}

bool notePending(const std::string& name, int& error) {
    std::wstring wide;
    if (!widePath(name, wide, error)) {
        return false;
    }
    if (wide.size() >= sizeof pendingTemporary / sizeof pendingTemporary[0]) {
        error = ENAMETOOLONG;
        return false;
    }
    wide.copy(pendingTemporary, wide.size());
    pendingTemporary[wide.size()] = L'\0';
    temporaryPending = true;
    return true;
}

void forgetPending() {
    temporaryPending = false;
}

bool isPending() {
    return temporaryPending;
}

void removeTemporaryFilesOnInterrupt() {
    SetConsoleCtrlHandler(removePendingTemporary, TRUE);
}

}  // namespace qormap
