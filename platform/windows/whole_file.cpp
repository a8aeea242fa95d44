#include "platform/whole_file.h"

#include <cerrno>

#include "platform/windows/win32.h"

namespace {

constexpr DWORD readChunk = DWORD{1} << 20;

// Reads to the end through the system's own calls, which know no text mode
// (the C runtime's would stop at byte 0x1A). Copied, not mapped, so that a
// file cut short meanwhile cannot crash the reader; anything longer than
// `largest` is refused rather than held.
bool readAllBytes(HANDLE handle, size_t largest, WholeFile& file, int& error) {
    // Room for the largest file and the read that finds the end. Committed
    // pages are only backed once touched.
    const size_t storageSize = largest + readChunk;
    void* storage = VirtualAlloc(nullptr, storageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (storage == nullptr) {
        error = ENOMEM;
        return false;
    }
    file.storage = storage;
    file.storageSize = storageSize;
    auto* bytes = static_cast<uint8_t*>(storage);
    size_t used = 0;
    for (;;) {
        if (used > largest) {
            error = EFBIG;
            return false;
        }
        DWORD got = 0;
        if (!ReadFile(handle, bytes + used, readChunk, &got, nullptr)) {
            const DWORD code = GetLastError();
            if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) {
                break;  // the writing end closed: the end of a pipe's bytes
            }
            error = errnoFromWin32(code);
            return false;
        }
        if (got == 0) {
            break;
        }
        used += got;
    }
    file.data = bytes;
    file.size = used;
    return true;
}

}  // namespace

bool readWholeFile(const char* path, size_t largest, WholeFile& file, int& error) {
    file = {nullptr, 0, nullptr, 0};
    std::wstring wide;
    if (!widePath(path, wide, error)) {
        return false;
    }
    // Backup semantics let a folder open too, to be named as one.
    const HANDLE handle = CreateFileW(
        wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = errnoFromWin32(GetLastError());
        return false;
    }
    bool loaded = false;
    BY_HANDLE_FILE_INFORMATION information{};
    LARGE_INTEGER size{};
    const bool onDisk = GetFileType(handle) == FILE_TYPE_DISK;
    if (onDisk && !GetFileInformationByHandle(handle, &information)) {
        error = errnoFromWin32(GetLastError());
    } else if (onDisk && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = EISDIR;
    } else if (onDisk && GetFileSizeEx(handle, &size) &&
               static_cast<unsigned long long>(size.QuadPart) > largest) {
        error = EFBIG;
    } else {
        loaded = readAllBytes(handle, largest, file, error);
    }
    CloseHandle(handle);
    if (!loaded) {
        releaseWholeFile(file);
    }
    return loaded;
}

void releaseWholeFile(WholeFile& file) {
    if (file.storage != nullptr) {
        VirtualFree(file.storage, 0, MEM_RELEASE);
    }
    file = {nullptr, 0, nullptr, 0};
}
