// The point list keeps its points in order and refuses an append it has no memory for, as it
// was. (The points' conversions: the run statistics test; the only reader, the snapshot, asks
// for points within the count.)
#include "experiments/uinftab.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>

// This binary replaces the global allocation functions so that a test can make every
// allocation fail for a moment.
static bool allocationsFail = false;

void* operator new(std::size_t size) {
    void* p = allocationsFail ? nullptr : std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace uinftab;

TEST(PointList, LongListInOrderEvenWhenMemoryRunsOut) {
    constexpr std::int32_t kCount = 200000;
    PointList* list = nullptr;
    PointListCreate(list);
    PlotPoint p;
    // Each append is first tried with every allocation failing: it may succeed only when it
    // needed no memory, and a refusal must leave the list as it was.
    int refused = 0;
    for (std::int32_t i = 0; i < kCount; ++i) {
        PlotPointMake(p, i, -i);
        allocationsFail = true;
        const bool appended = PointListAppend(list, p);
        allocationsFail = false;
        if (!appended) {
            ++refused;
            ASSERT_EQ(PointListCount(list), i);
            ASSERT_TRUE(PointListAppend(list, p));
        }
    }
    EXPECT_GT(refused, 1);
    for (std::int32_t i = 0; i < kCount; ++i)
        ASSERT_TRUE(PointListGet(list, i, p) && PlotPointX(p) == i && PlotPointY(p) == -i) << i;
    PointListDestroy(list);
}

}  // namespace
