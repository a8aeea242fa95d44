// What each system gives platform/replaced_file.cpp: what stands at a path,
// the file calls it is written through, and the one pending temporary name
// its interrupt handler removes. Paths are UTF-8.
#pragma once

#include <cstdio>
#include <string>

namespace qormap {

enum class TargetKind { missing, stream, folder, file };

// Where output to `target` lands: on POSIX the file its symbolic links name.
// False with `error` set (EACCES) where a link may not be followed: one in a
// sticky, world-writable folder that belongs to neither the caller nor the
// folder's owner, as the kernel itself refuses.
bool landingPath(const std::string& target, std::string& landing, int& error);

// What stands at `path`: a stream is a device, pipe or socket, or a
// descriptor the caller holds. False with `error` set when that cannot be told.
bool inspectTarget(const std::string& path, TargetKind& kind, int& error);

// Moving over a file is allowed where writing it is not: false with `error`
// set (EACCES) when the existing file at `path` may not be written.
bool mayWrite(const std::string& path, int& error);

// `path` opened for writing in place, in binary; nullptr with `error` set.
// One of the process's own descriptors (/dev/stdout) is written from where it
// stands, in its own mode, and is neither truncated nor closed.
std::FILE* openInPlace(const std::string& path, int& error);

// A new file `name`, made by this call alone (EEXIST when the name is taken),
// with the permissions `target` has or a new file would get, opened for
// binary writing; nullptr with `error` set.
std::FILE* createNew(const std::string& name, const std::string& target, int& error);

// Puts file `from` in place of `to`; false with `error` set.
bool moveOver(const std::string& from, const std::string& to, int& error);

void removeFile(const std::string& path);

// Keeps the interrupt handler out while the pending name changes; the two
// pair up on one thread.
void holdPending();
void releasePending();

// Records `name` as the file an interrupt removes; false with `error` set
// when it cannot be held. Called with the pending name held.
bool notePending(const std::string& name, int& error);
void forgetPending();
bool isPending();

}  // namespace qormap
