#include "vxl/memory_sink.h"

#include <cerrno>
#include <cstdlib>

#include "vxl/encoder.h"

namespace qormap {

namespace {

// A default map is about 2.9 MB and a crowded one 4.5 MB: most maps need no regrowth.
constexpr size_t initialBufferBytes = size_t{4} << 20;

}  // namespace

uint8_t* spaceAtEnd(MapBuffer& buffer, size_t bytes, int& error) {
    if (buffer.capacity - buffer.size < bytes) {
        size_t capacity = buffer.capacity != 0 ? buffer.capacity : initialBufferBytes;
        while (capacity - buffer.size < bytes) {
            capacity *= 2;
        }
        void* grown = std::realloc(buffer.data, capacity);
        if (grown == nullptr) {
            error = ENOMEM;
            return nullptr;
        }
        buffer.data = static_cast<uint8_t*>(grown);
        buffer.capacity = capacity;
    }
    return buffer.data + buffer.size;
}

bool encodeIntoMemory(MapBuffer& buffer, int& error) {
    const VxlSink intoBuffer{[](void* context, size_t size, int& failure) {
                                 return spaceAtEnd(*static_cast<MapBuffer*>(context), size,
                                                   failure);
                             },
                             [](void* context, size_t size, int&) {
                                 static_cast<MapBuffer*>(context)->size += size;
                                 return true;
                             },
                             &buffer};
    return encodeWorld(intoBuffer, error);
}

}  // namespace qormap
