#include "support/growable_array.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace qormap {

namespace {

ArrayHeader* headerOf(void* handle) {
    return static_cast<ArrayHeader*>(handle) - 1;
}

const ArrayHeader* headerOf(const void* handle) {
    return static_cast<const ArrayHeader*>(handle) - 1;
}

// Block size for `capacity` elements, or 0 when no object can be that large;
// a wrapped size would hand back a block smaller than the capacity it records.
size_t blockBytes(size_t elementSize, int64_t capacity) {
    constexpr size_t largestBlock = PTRDIFF_MAX;
    if (capacity < 0) {
        return 0;
    }
    const uint64_t elements = static_cast<uint64_t>(capacity);
    if (elementSize != 0 && elements > (largestBlock - sizeof(ArrayHeader)) / elementSize) {
        return 0;
    }
    return sizeof(ArrayHeader) + elementSize * elements;
}

}  // namespace

int32_t arrayLength(const void* handle) {
    return handle ? headerOf(handle)->length : 0;
}

int32_t arrayCapacity(const void* handle) {
    return handle ? headerOf(handle)->capacity : 0;
}

void* resizeArrayBlock(void* handle, size_t elementSize, int32_t capacity, int32_t length) {
    ArrayHeader* header;
    if (handle == nullptr) {
        const size_t bytes = blockBytes(elementSize, capacity);
        header = bytes ? static_cast<ArrayHeader*>(std::malloc(bytes)) : nullptr;
        if (header == nullptr) {
            return nullptr;
        }
        *header = ArrayHeader{length, capacity, arrayHeapAllocator, arraySignature};
    } else {
        header = headerOf(handle);
        header->length = length;
        if (header->capacity < capacity) {
            // Exact growth for the first few slots, doubling after that keeps
            // appends amortised constant time without wasting small lists.
            int64_t grown = capacity;
            const int64_t doubled = 2 * static_cast<int64_t>(header->capacity);
            if (header->capacity >= 4 && grown < doubled && doubled <= INT32_MAX) {
                grown = doubled;
            }
            const size_t bytes = blockBytes(elementSize, grown);
            void* moved = bytes ? std::realloc(header, bytes) : nullptr;
            if (moved != nullptr) {
                header = static_cast<ArrayHeader*>(moved);
                header->capacity = static_cast<int32_t>(grown);
            }
        }
    }
    if (header->length > header->capacity) {
        header->length = header->capacity;
    }
    return header + 1;
}

void* setArrayBlockLength(void* handle, size_t elementSize, int32_t length) {
    if (handle != nullptr && headerOf(handle)->capacity >= length) {
        headerOf(handle)->length = length;
        return handle;
    }
    return resizeArrayBlock(handle, elementSize, length, length);
}

void* appendArraySlot(void* handle, size_t elementSize, int32_t* slot) {
    const int32_t length = arrayLength(handle);
    *slot = -1;
    if (length == INT32_MAX) {
        return handle;
    }
    void* grown = setArrayBlockLength(handle, elementSize, length + 1);
    if (arrayLength(grown) == length + 1) {
        *slot = length;
    }
    return grown;
}

void releaseArrayBlock(void* handle) {
    std::free(headerOf(handle));
}

void arrayFreeAll(char** handle) {
    const int32_t length = arrayLength(handle);
    for (int32_t i = 0; i < length; ++i) {
        std::free(handle[i]);
    }
    arrayFree(handle);
}

}  // namespace qormap
