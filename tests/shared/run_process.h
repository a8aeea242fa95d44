// Helpers for tests that run the programs as child processes (POSIX only),
// with the scratch folders and whole files those tests look at.
#pragma once

#include <string>
#include <vector>

#include "tests/shared/scratch_folder.h"

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
    // Where standard output goes instead of being kept (/dev/full: every write fails).
    std::string standardOutput;
};

// Runs `program` with the argument vector `arguments` (argument 0 included,
// passed as given) and waits for it.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessLimits& limits = {});

// Starts `program` with its console output discarded and returns its process
// id without waiting.
int startProcess(const std::string& program, const std::vector<std::string>& arguments);
