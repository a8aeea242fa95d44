#include "platform/scratch_file.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include "platform/windows/win32.h"

namespace qormap {

// The C runtime's tmpfile makes its file in the drive's root folder, where a
// user may not write; this one lives in the user's temporary folder and the
// system deletes it once the last handle closes, even when the process is
// killed.
std::FILE* openScratchFile() {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"qor", 0, name) == 0) {
        errno = errnoFromWin32(GetLastError());
        return nullptr;
    }
    const HANDLE handle =
        CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = errnoFromWin32(GetLastError());
        DeleteFileW(name);
        return nullptr;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    std::FILE* file = descriptor < 0 ? nullptr : _fdopen(descriptor, "w+b");
    if (file == nullptr) {
        if (descriptor < 0) {
            CloseHandle(handle);
        } else {
            _close(descriptor);
        }
        errno = ENOMEM;
    }
    return file;
}

}  // namespace qormap
