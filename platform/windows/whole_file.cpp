#include <cerrno>

#include "platform/whole_file_system.h"
#include "platform/windows/win32.h"

namespace qormap {

namespace {

HANDLE asHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

bool openForReading(const char* path, intptr_t& handle, OpenedKind& kind, uint64_t& size,
                    int& error) {
    std::wstring wide;
    if (!widePath(path, wide, error)) {
        return false;
    }
    // Backup semantics let a folder open too, to be named as one.
    const HANDLE opened = CreateFileW(
        wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        error = errnoFromWin32(GetLastError());
        return false;
    }
    handle = reinterpret_cast<intptr_t>(opened);
    kind = OpenedKind::stream;
    if (GetFileType(opened) != FILE_TYPE_DISK) {
        return true;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(opened, &information)) {
        error = errnoFromWin32(GetLastError());
        CloseHandle(opened);
        return false;
    }
    const bool folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    kind = folder ? OpenedKind::folder : OpenedKind::regular;
    size = uint64_t{information.nFileSizeHigh} << 32 | information.nFileSizeLow;
    return true;
}

// The system's own reads know no text mode (the C runtime's would stop at
// byte 0x1A).
bool readSome(intptr_t handle, uint8_t* into, size_t room, size_t& got, int& error) {
    DWORD count = 0;
    got = 0;
    if (!ReadFile(asHandle(handle), into, static_cast<DWORD>(room), &count, nullptr)) {
        const DWORD code = GetLastError();
        // The writing end closed: the end of a pipe's bytes.
        if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) {
            return true;
        }
        error = errnoFromWin32(code);
        return false;
    }
    got = count;
    return true;
}

void closeOpened(intptr_t handle) {
    CloseHandle(asHandle(handle));
}

// Committed pages are only backed once touched.
void* takePages(size_t size, int& error) {
    void* start = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (start == nullptr) {
        error = ENOMEM;
    }
    return start;
}

void givePagesBack(void* start, size_t) {
    VirtualFree(start, 0, MEM_RELEASE);
}

}  // namespace qormap
