#include "support/growable_array.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace qormap;

namespace {

struct Point {
    int32_t x, y;
};

const ArrayHeader& headerOf(const void* handle) {
    return static_cast<const ArrayHeader*>(handle)[-1];
}

// An element so large that no block for even one of them can be allocated.
constexpr size_t impossibleElementSize = size_t{1} << (sizeof(size_t) * 8 - 2);

}  // namespace

TEST(GrowableArray, AbsentHandleIsEmpty) {
    Point* points = nullptr;
    EXPECT_EQ(arrayLength(points), 0);
    EXPECT_EQ(arrayCapacity(points), 0);
    arrayFree(points);
    EXPECT_EQ(points, nullptr);
}

TEST(GrowableArray, PushesGrowExactlyToFourThenDouble) {
    // Capacity after each of the first nine pushes onto an absent handle.
    const int32_t expectedCapacity[] = {1, 2, 3, 4, 8, 8, 8, 8, 16};
    Point* points = nullptr;
    for (int32_t i = 0; i < 9; ++i) {
        SCOPED_TRACE(i + 1);
        ASSERT_TRUE(arrayPush(points, Point{i, -i}));
        EXPECT_EQ(arrayLength(points), i + 1);
        EXPECT_EQ(arrayCapacity(points), expectedCapacity[i]);
    }
    for (int32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(points[i].x, i);
        EXPECT_EQ(points[i].y, -i);
    }
    EXPECT_EQ(headerOf(points).allocator, arrayHeapAllocator);
    EXPECT_EQ(headerOf(points).signature, arraySignature);
    arrayFree(points);
    EXPECT_EQ(points, nullptr);
}

TEST(GrowableArray, ResizeDoublesOnlyFromCapacityFour) {
    struct Case {
        int32_t startCapacity, requested, expected;
    };
    const Case cases[] = {
        {3, 5, 5},  // below 4: grow to exactly what is asked
        {4, 5, 8},  // from 4: at least double
        {4, 9, 9},  // more than double: exactly what is asked
        {8, 3, 8},  // never shrinks
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.startCapacity << " -> " << c.requested);
        Point* points = nullptr;
        arrayResize(points, c.startCapacity, 0);
        ASSERT_EQ(arrayCapacity(points), c.startCapacity);
        arrayResize(points, c.requested, c.requested);
        EXPECT_EQ(arrayCapacity(points), c.expected);
        EXPECT_EQ(arrayLength(points), c.requested);
        arrayFree(points);
    }
}

TEST(GrowableArray, AddGrowsToNeededOrDouble) {
    Point* points = nullptr;
    arrayResize(points, 4, 4);
    arrayAdd(points, 1);
    EXPECT_EQ(arrayCapacity(points), 8);
    arrayAdd(points, 20);
    EXPECT_EQ(arrayLength(points), 25);
    EXPECT_EQ(arrayCapacity(points), 25);
    arrayFree(points);
}

TEST(GrowableArray, ShorterLengthKeepsBlockAndCapacity) {
    Point* points = nullptr;
    for (int32_t i = 0; i < 5; ++i) {
        ASSERT_TRUE(arrayPush(points, Point{i, i}));
    }
    const Point* before = points;
    arraySetLength(points, 2);
    EXPECT_EQ(points, before);
    EXPECT_EQ(arrayLength(points), 2);
    EXPECT_EQ(arrayCapacity(points), 8);
    arrayFree(points);
}

TEST(GrowableArray, FailedGrowthKeepsBlockAndClampsLength) {
    void* block = resizeArrayBlock(nullptr, impossibleElementSize, 0, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(arrayCapacity(block), 0);

    void* after = resizeArrayBlock(block, impossibleElementSize, 4, 3);
    EXPECT_EQ(after, block);
    EXPECT_EQ(arrayCapacity(after), 0);
    EXPECT_EQ(arrayLength(after), 0);
    releaseArrayBlock(after);
}

TEST(GrowableArray, FailedPushStoresNothing) {
    void* block = resizeArrayBlock(nullptr, impossibleElementSize, 0, 0);
    ASSERT_NE(block, nullptr);
    int32_t slot = 0;
    block = appendArraySlot(block, impossibleElementSize, &slot);
    EXPECT_EQ(slot, -1);
    EXPECT_EQ(arrayLength(block), 0);
    releaseArrayBlock(block);

    // The very first block cannot be made either: the handle stays absent.
    EXPECT_EQ(appendArraySlot(nullptr, impossibleElementSize, &slot), nullptr);
    EXPECT_EQ(slot, -1);
}

TEST(GrowableArray, FreeAllReleasesElementsUpToAbsentEnd) {
    char** texts = nullptr;
    for (const char* word : {"s5", "d", "ofile"}) {
        char* copy = static_cast<char*>(std::malloc(std::strlen(word) + 1));
        std::strcpy(copy, word);
        ASSERT_TRUE(arrayPush(texts, copy));
    }
    ASSERT_TRUE(arrayPush(texts, static_cast<char*>(nullptr)));
    EXPECT_EQ(arrayLength(texts), 4);
    arrayFreeAll(texts);  // the leak checker of the sanitizer build sees any miss
}
