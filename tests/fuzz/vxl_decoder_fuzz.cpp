// Feeds arbitrary bytes to the map decoder. Whatever the bytes, it must stay
// inside them, and what it accepts must make sense: colours only on solid
// voxels, a cursor that only moves forward within the file.
#include <cstddef>
#include <cstdint>

#include "reading/decoder.h"
#include "world/world.h"

using namespace qormap;

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VxlCursor cursor = startVxl(data, size);
    VxlColumn column;
    VxlDecodeError error{};
    while (cursor.column < columnCount && cursor.offset < size) {
        const size_t before = cursor.offset;
        if (!decodeVxlColumn(cursor, column, error)) {
            require(cursor.offset == before);
            require(error.offset >= before && error.offset <= size);
            require(!describeVxlError(error).empty());
            break;
        }
        require(cursor.offset > before && cursor.offset <= size);
        require((column.colorMask & ~column.solidMask) == 0);
        require(column.spanCount >= 1 && column.spanCount <= worldSizeZ + 1);
    }

    int64_t spans = 0;
    const bool valid = checkVxl(data, size, error, &spans);
    require(valid == decodeVxlVoxels(data, size, solid, color, error));
    if (!valid) {
        require(!describeVxlError(error).empty());
    }
    return 0;
}
