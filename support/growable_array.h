// Growable array: elements live behind a hidden 16-byte header, so the handle
// is a plain pointer to element 0 and is indexed like any array. A null handle
// is a valid empty array.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qormap {

struct ArrayHeader {
    int32_t length;
    int32_t capacity;
    int32_t allocator;  // which allocator owns the block; always the ordinary heap here
    int32_t signature;  // written once when the block is made; nothing reads it
};
static_assert(sizeof(ArrayHeader) == 16, "elements must start 16 bytes into the block");

constexpr int32_t arrayHeapAllocator = 0;
constexpr int32_t arraySignature = 0x51BADA7B;

// Number of elements in use; 0 for a null handle.
int32_t arrayLength(const void* handle);

// Number of element slots in the block; 0 for a null handle.
int32_t arrayCapacity(const void* handle);

// Untyped core of arrayResize: sets the length to `length` and makes room for at
// least `capacity` elements of `elementSize` bytes, creating the block when the
// handle is null. Returns the (possibly moved) handle; null only when a new block
// could not be made. When growth fails the old block stays, with the length
// clamped to its capacity.
void* resizeArrayBlock(void* handle, size_t elementSize, int32_t capacity, int32_t length);

// Untyped core of arraySetLength: grows only when the capacity is short.
void* setArrayBlockLength(void* handle, size_t elementSize, int32_t length);

// Untyped core of arrayPush: lengthens the array by one and stores the index
// of the new slot in `slot`, or -1 when the storage cannot grow (then nothing
// changes). Returns the (possibly moved) handle.
void* appendArraySlot(void* handle, size_t elementSize, int32_t* slot);

// Releases the block of a non-null handle.
void releaseArrayBlock(void* handle);

// Sets the length and makes room for at least `capacity` elements; creates the
// array when the handle is null. Never shrinks the storage.
template <typename T>
void arrayResize(T*& handle, int32_t capacity, int32_t length) {
    static_assert(alignof(T) <= sizeof(ArrayHeader),
                  "elements would be misaligned behind the header");
    handle = static_cast<T*>(resizeArrayBlock(handle, sizeof(T), capacity, length));
}

// Sets the length, reallocating only when the capacity is short.
template <typename T>
void arraySetLength(T*& handle, int32_t length) {
    handle = static_cast<T*>(setArrayBlockLength(handle, sizeof(T), length));
}

// Lengthens the array by `count` elements (new slots are not cleared).
template <typename T>
void arrayAdd(T*& handle, int32_t count) {
    arraySetLength(handle, arrayLength(handle) + count);
}

// Appends one element. Returns false, and changes nothing, when the storage
// cannot grow: an element is never stored over an existing one.
template <typename T>
[[nodiscard]] bool arrayPush(T*& handle, const T& element) {
    int32_t slot;
    handle = static_cast<T*>(appendArraySlot(handle, sizeof(T), &slot));
    if (slot < 0) {
        return false;
    }
    handle[slot] = element;
    return true;
}

// Releases the storage and makes the handle null.
template <typename T>
void arrayFree(T*& handle) {
    if (handle != nullptr) {
        releaseArrayBlock(handle);
        handle = nullptr;
    }
}

// For an array of pointers to separately allocated storage (released with
// std::free): releases every element, then the array. The handle must not be
// used afterwards.
void arrayFreeAll(char** handle);

}  // namespace qormap
