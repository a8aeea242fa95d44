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

// Limits a child runs under, for fault injection.
struct ProcessLimits {
    // Bytes a written file may reach; -1 for none. Past it a write fails as on
    // a full disk, or SIGXFSZ ends a child that does not ignore it.
    long long fileSizeLimit = -1;
};

// Runs `program` with the argument vector `arguments` (argument 0 included,
// passed as given) and waits for it.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessLimits& limits = {});

// Starts `program` with its console output discarded and returns its process
// id without waiting.
int startProcess(const std::string& program, const std::vector<std::string>& arguments);

// A fresh empty folder under the system's temporary folder.
std::string makeScratchFolder();

// False when file permissions do not stop this process (root with its
// capabilities), so that tests of permission failures know to skip.
bool permissionsApply();

// The names in `folder`, sorted, so that a stray temporary file shows.
std::vector<std::string> folderEntries(const std::string& folder);

// Every byte of the file at `path`; empty when it cannot be read.
std::string readAll(const std::string& path);
