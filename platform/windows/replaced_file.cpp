#include "platform/replaced_file.h"

#include <fcntl.h>
#include <io.h>

#include <cctype>
#include <cerrno>

#include "platform/windows/win32.h"

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

struct PendingHeld {
    PendingHeld() { AcquireSRWLockExclusive(&pendingLock); }
    ~PendingHeld() { ReleaseSRWLockExclusive(&pendingLock); }
    PendingHeld(const PendingHeld&) = delete;
    PendingHeld& operator=(const PendingHeld&) = delete;
};

void dropTemporary(ReplacedFile& output) {
    if (output.temporary.empty()) {
        return;
    }
    const PendingHeld held;
    DeleteFileW(pendingTemporary);
    temporaryPending = false;
    output.temporary.clear();
}

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// Everything up to and including the last separator (or a drive's colon).
size_t nameStart(const std::string& path) {
    for (size_t at = path.size(); at > 0; --at) {
        if (isSeparator(path[at - 1]) || (at == 2 && path[1] == ':')) {
            return at;
        }
    }
    return 0;
}

// Device names (CON, NUL, COM1...) mean the device in any folder and with any
// ending; "\\.\" paths name devices and pipes outright. Both are written
// directly, as devices are on POSIX.
bool isDevicePath(const std::string& path) {
    if (path.rfind("\\\\.\\", 0) == 0 || path.rfind("//./", 0) == 0) {
        return true;
    }
    std::string name = path.substr(nameStart(path));
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

bool openDirectly(ReplacedFile& output, const std::wstring& wide, int& error) {
    output.file = _wfopen(wide.c_str(), L"wb");
    if (output.file == nullptr) {
        error = errno;
        return false;
    }
    return true;
}

enum class TargetKind { missing, device, folder, file };

// What stands at the target: false with `error` set when that cannot be
// told. Devices and pipes are whatever the system does not keep on a disk.
bool inspectTarget(const std::wstring& wide, TargetKind& kind, DWORD& attributes, int& error) {
    const HANDLE handle =
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        kind = TargetKind::missing;
        if (code == ERROR_FILE_NOT_FOUND) {
            return true;
        }
        error = errnoFromWin32(code);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    bool known = true;
    DWORD code = 0;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        kind = TargetKind::device;
    } else if (GetFileInformationByHandle(handle, &information) != 0) {
        attributes = information.dwFileAttributes;
        kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? TargetKind::folder : TargetKind::file;
    } else {
        known = false;
        code = GetLastError();
    }
    CloseHandle(handle);
    if (!known) {
        error = errnoFromWin32(code);
    }
    return known;
}

// Moving over a file is allowed where writing it is not (a read-only file,
// one whose access list denies writing): such a file is refused instead.
bool mayWrite(const std::wstring& wide, DWORD attributes, int& error) {
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
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

// A new ".NAME.tmp-XXXXXX" beside the target, made by this call alone.
HANDLE createTemporary(const std::string& target, std::string& name, std::wstring& wide,
                       int& error) {
    constexpr int attempts = 100;
    constexpr char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const size_t split = nameStart(target);
    auto seed = static_cast<unsigned long long>(GetTickCount64()) * 0x9E3779B97F4A7C15ull ^
                GetCurrentProcessId();
    for (int attempt = 0; attempt < attempts; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 6; ++i) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            suffix += digits[(seed >> 33) % (sizeof digits - 1)];
        }
        name = target.substr(0, split) + "." + target.substr(split) + ".tmp-" + suffix;
        if (!widePath(name, wide, error)) {
            return INVALID_HANDLE_VALUE;
        }
        if (wide.size() >= sizeof pendingTemporary / sizeof pendingTemporary[0]) {
            error = ENAMETOOLONG;
            return INVALID_HANDLE_VALUE;
        }
        const HANDLE handle =
            CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            return handle;
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            error = errnoFromWin32(code);
            return INVALID_HANDLE_VALUE;
        }
    }
    error = EEXIST;
    return INVALID_HANDLE_VALUE;
}

}  // namespace

void removeTemporaryFilesOnInterrupt() {
    SetConsoleCtrlHandler(removePendingTemporary, TRUE);
}

bool openReplacement(const std::string& target, ReplacedFile& output, int& error) {
    output = {nullptr, target, ""};
    std::wstring wideTarget;
    if (!widePath(target, wideTarget, error)) {
        return false;
    }
    if (target.empty()) {
        error = ENOENT;
        return false;
    }
    if (isDevicePath(target)) {
        return openDirectly(output, wideTarget, error);
    }
    TargetKind kind = TargetKind::missing;
    DWORD attributes = 0;
    if (!inspectTarget(wideTarget, kind, attributes, error)) {
        return false;
    }
    if (kind == TargetKind::folder) {
        error = EISDIR;
        return false;
    }
    if (kind == TargetKind::device) {
        return openDirectly(output, wideTarget, error);
    }
    if (kind == TargetKind::file && !mayWrite(wideTarget, attributes, error)) {
        return false;
    }
    std::string name;
    std::wstring wideName;
    HANDLE handle;
    {
        const PendingHeld held;
        if (temporaryPending) {
            error = EBUSY;
            return false;
        }
        handle = createTemporary(output.target, name, wideName, error);
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        wideName.copy(pendingTemporary, wideName.size());
        pendingTemporary[wideName.size()] = L'\0';
        temporaryPending = true;
    }
    output.temporary = name;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (descriptor < 0) {
        error = errno;
        CloseHandle(handle);
        dropTemporary(output);
        return false;
    }
    output.file = _fdopen(descriptor, "wb");
    if (output.file == nullptr) {
        error = errno;
        _close(descriptor);
        dropTemporary(output);
        return false;
    }
    return true;
}

bool commitReplacement(ReplacedFile& output, int& error) {
    int failure = 0;
    if (std::fflush(output.file) != 0 || std::ferror(output.file) != 0) {
        failure = errno != 0 ? errno : EIO;
    }
    if (std::fclose(output.file) != 0 && failure == 0) {
        failure = errno != 0 ? errno : EIO;
    }
    output.file = nullptr;
    std::wstring wideTarget;
    if (failure == 0 && !output.temporary.empty() && widePath(output.target, wideTarget, failure)) {
        const PendingHeld held;
        if (MoveFileExW(pendingTemporary, wideTarget.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) {
            temporaryPending = false;
            output.temporary.clear();
        } else {
            failure = errnoFromWin32(GetLastError());
        }
    }
    if (failure != 0) {
        dropTemporary(output);
        error = failure;
        return false;
    }
    return true;
}

void abandonReplacement(ReplacedFile& output) {
    std::fclose(output.file);
    output.file = nullptr;
    dropTemporary(output);
}
