// Maps encoded straight into a malloc'd buffer the caller owns.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qormap {

// A malloc'd buffer that grows by doubling; `data` is released with free.
struct MapBuffer {
    uint8_t* data = nullptr;
    size_t size = 0;
    size_t capacity = 0;
};

// Room for `bytes` more after buffer.size, growing the buffer when needed;
// null with `error` ENOMEM when it cannot grow (the buffer stays valid).
uint8_t* spaceAtEnd(MapBuffer& buffer, size_t bytes, int& error);

// Encodes the world as a map, appending it to `buffer` with no copy between.
// False with `error` ENOMEM when memory runs out.
bool encodeIntoMemory(MapBuffer& buffer, int& error);

}  // namespace qormap
