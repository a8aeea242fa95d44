// Writing into the gallery's folder and nowhere else: a symbolic link, device
// or pipe found in the place of a file or folder the gallery writes is
// refused, never written through. Each function says why on standard error
// when it returns false.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// True when `path` is missing or a regular file of its own.
bool mayWriteInside(const std::filesystem::path& path);

// Writes `size` bytes whole to `path` in place of any earlier file; `what`
// names it in the message ("picture", "map").
bool writeFileInside(const std::filesystem::path& path, const void* data, size_t size,
                     const char* what);

// Makes `folder` when missing; `inside` when it lies in the folder the user
// named, which it then must not leave through a link.
bool prepareFolder(const std::filesystem::path& folder, bool inside);

// Writes the page whole: `start`, the bytes of `cards` from its beginning,
// and `end`.
bool writePageInside(const std::filesystem::path& path, const std::string& start, std::FILE* cards,
                     const std::string& end);
