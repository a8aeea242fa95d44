#include "platform/windows/win32.h"

#include <cerrno>

namespace qormap {

namespace {

// Longer paths (the terminating null included) need the "\\?\" form.
constexpr size_t plainPathLimit = MAX_PATH;

bool startsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

bool widePath(const std::string& path, std::wstring& wide, int& error) {
    wide.clear();
    if (path.empty()) {
        return true;
    }
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                           static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0) {
        error = EILSEQ;
        return false;
    }
    wide.resize(static_cast<size_t>(length));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                        wide.data(), length);
    if (wide.size() + 1 < plainPathLimit || startsWith(wide, L"\\\\?\\") ||
        startsWith(wide, L"\\\\.\\")) {
        return true;
    }
    // The prefixed form takes no '/', no "." or ".." and no relative part, so
    // the system's own resolution comes first.
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        error = errnoFromWin32(GetLastError());
        return false;
    }
    std::wstring full(needed, L'\0');
    const DWORD got = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) {
        error = errnoFromWin32(GetLastError());
        return false;
    }
    full.resize(got);
    if (startsWith(full, L"\\\\")) {
        wide = L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share\...
    } else {
        wide = L"\\\\?\\" + full;
    }
    return true;
}

int errnoFromWin32(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_CURRENT_DIRECTORY:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_COMMITMENT_LIMIT:
        return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_BUSY:
        return EBUSY;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    default:
        return EIO;
    }
}

}  // namespace qormap
