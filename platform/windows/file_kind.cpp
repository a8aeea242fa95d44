#include "platform/file_kind.h"

#include "platform/windows/win32.h"

namespace qormap {

FileKind fileKind(const char* path) {
    std::wstring wide;
    int error = 0;
    if (!widePath(path, wide, error)) {
        return FileKind::absent;
    }
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Devices such as CON or NUL have no attributes to ask.
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
                   ? FileKind::absent
                   : FileKind::other;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::folder : FileKind::regular;
}

}  // namespace qormap
