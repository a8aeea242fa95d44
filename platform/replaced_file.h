// Output that never leaves a half-written file behind: a regular file (or a
// new one), wherever it lives, is written beside its target and moved over it
// only once complete; devices, pipes, sockets and descriptors the caller holds
// (/dev/stdout) are written directly and never removed. An interrupted run
// (SIGINT, SIGTERM or SIGHUP; on Windows Ctrl-C, Ctrl-Break or the console
// closing) removes its temporary file; one killed outright leaves at most a
// ".NAME.tmp-XXXXXX" beside the untouched target, NAME cut short where the
// target's name is long. Paths are UTF-8.
#pragma once

#include <cstdio>
#include <string>

namespace qormap {

struct ReplacedFile {
    std::FILE* file;
    std::string target;     // where the output lands: a symbolic link is followed
    std::string temporary;  // empty when writing to the target directly
};

// True when output to `path` would be streamed into what stands there (a
// device, pipe, socket or descriptor such as /dev/stdin) rather than land in
// a file kept under that name.
bool isStreamPath(const std::string& path);

// Makes an interrupt remove the pending temporary file before it ends the
// process as it otherwise would. POSIX signals the process was started with
// ignored stay ignored, and SIGXFSZ is ignored, so that a file-size limit
// shows as a failed write. Call once, at the start of main.
void removeTemporaryFilesOnInterrupt();

// Opens the stream to write `target` through; false with `error` set (errno).
// An existing file that may not be written is refused (EACCES) rather than
// replaced. One replacement may be pending at a time (EBUSY otherwise).
bool openReplacement(const std::string& target, ReplacedFile& output, int& error);

// Flushes and closes the stream, then puts the new file in place. On any
// failure removes the temporary file, leaves the target as it was and
// returns false with `error` set.
bool commitReplacement(ReplacedFile& output, int& error);

// Closes the stream and removes the temporary file: the target stays as it was
// (a device or pipe written directly keeps what it was sent).
void abandonReplacement(ReplacedFile& output);

}  // namespace qormap
