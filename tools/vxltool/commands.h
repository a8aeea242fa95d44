// The vxltool command line: git-style subcommands that check, describe,
// compare and picture map files.
#pragma once

constexpr int toolSuccess = 0;
constexpr int toolInvalidMap = 1;  // an invalid or unreadable map, or a failed write
constexpr int toolUsageError = 2;
constexpr int toolMapsDiffer = 3;  // diff only

// The name every message of the tool begins with.
constexpr char toolName[] = "vxltool";

// Runs one vxltool command line and returns its exit status.
int runVxltool(int argumentCount, char** arguments);
