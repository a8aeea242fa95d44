// Scratch folders and whole files for tests, on any system.
#pragma once

#include <string>
#include <vector>

// A fresh empty folder under the system's temporary folder.
std::string makeScratchFolder();

// The names in `folder`, sorted, so that a stray temporary file shows.
std::vector<std::string> folderEntries(const std::string& folder);

// Every byte of the file at `path` (UTF-8); empty when it cannot be read.
std::string readAll(const std::string& path);

// False when file permissions do not stop this process (root with its
// capabilities; Windows, which ignores a folder's read-only mark), so that
// tests of permission failures know to skip.
bool permissionsApply();
