// What the Windows side of the platform layer shares: UTF-8 paths turned into
// the wide-character paths the system calls take, and the system's error
// codes turned into errno values for the callers' messages.
#pragma once

#include <windows.h>

#include <string>

namespace qormap {

// `path` (UTF-8) as a wide-character path. One that would reach the system's
// 260-character limit is made absolute and given the "\\?\" prefix that lifts
// it. False with `error` set (EILSEQ, ENOMEM) when it cannot be converted.
bool widePath(const std::string& path, std::wstring& wide, int& error);

// The errno value closest to a system error code; EIO where none is close.
int errnoFromWin32(DWORD code);

}  // namespace qormap
