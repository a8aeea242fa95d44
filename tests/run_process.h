// Helpers for tests that look at the world outside the process: child
// processes, scratch folders and whole files.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    int exitStatus;  // -1 when the child did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with the argument vector `arguments` (argument 0 included,
// passed as given) and waits for it.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments);

// A fresh empty folder under the system's temporary folder.
std::string makeScratchFolder();

// Every byte of the file at `path`; empty when it cannot be read.
std::string readAll(const std::string& path);
