// What each system gives platform/whole_file.cpp: a file opened for reading,
// told apart as folder, regular file or stream, its bytes, and fresh memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qormap {

enum class OpenedKind { folder, regular, stream };

// Opens `path` (UTF-8) for reading and says what it is; `size` is a regular
// file's length. False with `error` set (errno), nothing left open.
bool openForReading(const char* path, intptr_t& handle, OpenedKind& kind, uint64_t& size,
                    int& error);

// Reads at most `room` bytes into `into`; `got` is 0 at the end.
bool readSome(intptr_t handle, uint8_t* into, size_t room, size_t& got, int& error);

void closeOpened(intptr_t handle);

// `size` bytes of fresh read-write memory, backed only once touched; nullptr
// with `error` set when the system has none.
void* takePages(size_t size, int& error);

void givePagesBack(void* start, size_t size);

}  // namespace qormap
