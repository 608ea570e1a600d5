#include "experiments/uinftab.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <vector>

// This test binary replaces the global allocation functions so that a test can make every
// allocation fail for a moment and count what is live. The switch is local to this file.
namespace {
bool allocationsFail = false;
long long allocationAttempts = 0;
long long liveBlocks = 0;

void* Allocate(std::size_t size) {
    ++allocationAttempts;
    if (allocationsFail) throw std::bad_alloc();
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    ++liveBlocks;
    return p;
}

void Release(void* p) noexcept {
    if (p == nullptr) return;
    --liveBlocks;
    std::free(p);
}

// Every allocation fails while one of these is alive.
class OutOfMemory {
public:
    OutOfMemory() { allocationsFail = true; }
    ~OutOfMemory() { allocationsFail = false; }
    OutOfMemory(const OutOfMemory&) = delete;
    OutOfMemory& operator=(const OutOfMemory&) = delete;
};
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace {

using namespace uinftab;

PlotPoint Point(std::int32_t x, std::int32_t y) {
    PlotPoint p;
    PlotPointMake(p, x, y);
    return p;
}

// The points of a list as a vector, read through the public operations.
std::vector<PlotPoint> Contents(PointList* const& list) {
    std::vector<PlotPoint> points;
    for (std::int32_t i = 0; i < PointListCount(list); ++i) {
        PlotPoint p;
        EXPECT_TRUE(PointListGet(list, i, p));
        points.push_back(p);
    }
    return points;
}

bool SamePoints(const std::vector<PlotPoint>& a, const std::vector<PlotPoint>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
    return true;
}

// A live list in a variable, destroyed at the end of the test.
class PointListTest : public ::testing::Test {
protected:
    void SetUp() override { PointListCreate(list); }
    void TearDown() override {
        if (list != nullptr) PointListDestroy(list);
    }
    PointList* list = nullptr;
};

TEST_F(PointListTest, NewListIsEmpty) {
    EXPECT_EQ(PointListCount(list), 0);
    PlotPoint p = Point(5, 6);
    EXPECT_FALSE(PointListGet(list, 0, p));
    EXPECT_EQ(p.x, 5.0f);
    EXPECT_EQ(p.y, 6.0f);
}

TEST_F(PointListTest, OnePoint) {
    ASSERT_TRUE(PointListAppend(list, Point(3, 7)));
    EXPECT_EQ(PointListCount(list), 1);
    PlotPoint p;
    ASSERT_TRUE(PointListGet(list, 0, p));
    EXPECT_EQ(p.x, 3.0f);
    EXPECT_EQ(p.y, 7.0f);
    EXPECT_FALSE(PointListGet(list, 1, p));
    EXPECT_FALSE(PointListGet(list, -1, p));
}

TEST_F(PointListTest, PointsComeBackInAppendingOrder) {
    ASSERT_TRUE(PointListAppend(list, Point(0, 10)));
    ASSERT_TRUE(PointListAppend(list, Point(1, 11)));
    ASSERT_TRUE(PointListAppend(list, Point(2, 12)));
    PlotPoint p;
    ASSERT_TRUE(PointListGet(list, 2, p));
    EXPECT_EQ(PlotPointX(p), 2);
    EXPECT_EQ(PlotPointY(p), 12);
    ASSERT_TRUE(PointListGet(list, 0, p));
    EXPECT_EQ(PlotPointX(p), 0);
    EXPECT_EQ(PlotPointY(p), 10);
    ASSERT_TRUE(PointListGet(list, 1, p));
    EXPECT_EQ(PlotPointX(p), 1);
    EXPECT_EQ(PlotPointY(p), 11);
}

TEST_F(PointListTest, FailedGetLeavesTheReceivingPointExactlyAsItWas) {
    ASSERT_TRUE(PointListAppend(list, Point(1, 2)));
    ASSERT_TRUE(PointListAppend(list, Point(3, 4)));
    const std::int32_t badIndices[] = {2, 3, -1, -2, std::numeric_limits<std::int32_t>::max(),
                                       std::numeric_limits<std::int32_t>::min()};
    for (const std::int32_t index : badIndices) {
        SCOPED_TRACE(index);
        PlotPoint p;
        p.x = -0.5f;  // values no append could have produced
        p.y = 1e30f;
        EXPECT_FALSE(PointListGet(list, index, p));
        EXPECT_EQ(p.x, -0.5f);
        EXPECT_EQ(p.y, 1e30f);
    }
    EXPECT_EQ(PointListCount(list), 2);
}

TEST_F(PointListTest, AppendedPointIsACopy) {
    PlotPoint source = Point(8, 9);
    ASSERT_TRUE(PointListAppend(list, source));
    PlotPointMake(source, 100, 200);
    PlotPoint read;
    ASSERT_TRUE(PointListGet(list, 0, read));
    EXPECT_EQ(PlotPointX(read), 8);
    read.x = 55.0f;  // changing the copy read out leaves the stored point
    PlotPoint again;
    ASSERT_TRUE(PointListGet(list, 0, again));
    EXPECT_EQ(PlotPointX(again), 8);
    EXPECT_EQ(PlotPointY(again), 9);
}

TEST_F(PointListTest, MillionPoints) {
    constexpr std::int32_t kCount = 1000000;
    for (std::int32_t i = 0; i < kCount; ++i) ASSERT_TRUE(PointListAppend(list, Point(i, kCount - i)));
    ASSERT_EQ(PointListCount(list), kCount);
    PlotPoint p;
    ASSERT_TRUE(PointListGet(list, 0, p));
    EXPECT_EQ(PlotPointX(p), 0);
    EXPECT_EQ(PlotPointY(p), kCount);
    // The last hundred, as the curves read them.
    for (std::int32_t i = kCount - 100; i < kCount; ++i) {
        ASSERT_TRUE(PointListGet(list, i, p));
        ASSERT_EQ(PlotPointX(p), i);
        ASSERT_EQ(PlotPointY(p), kCount - i);
    }
    ASSERT_TRUE(PointListGet(list, kCount - 1, p));
    EXPECT_EQ(PlotPointX(p), kCount - 1);
    EXPECT_EQ(PlotPointY(p), 1);
    EXPECT_FALSE(PointListGet(list, kCount, p));
    // Sampled across the whole list.
    for (std::int32_t i = 0; i < kCount; i += 9973) {
        ASSERT_TRUE(PointListGet(list, i, p));
        ASSERT_EQ(PlotPointX(p), i);
    }
}

TEST_F(PointListTest, AppendWithoutMemoryReportsFalseAndKeepsTheList) {
    // Append point after point; before each successful append, try once with every
    // allocation failing. Whenever that attempt needed memory it must report false and leave
    // the count and every point as they were; otherwise it may succeed.
    std::vector<PlotPoint> expected;
    int refused = 0;
    for (std::int32_t i = 0; i < 3000; ++i) {
        const long long attemptsBefore = allocationAttempts;
        bool appended;
        {
            OutOfMemory outOfMemory;
            appended = PointListAppend(list, Point(-i, i));
        }
        const bool neededMemory = allocationAttempts != attemptsBefore;
        if (appended) {
            ASSERT_FALSE(neededMemory) << "succeeded although every allocation failed, point " << i;
            expected.push_back(Point(-i, i));
        } else {
            ASSERT_TRUE(neededMemory) << "refused without asking for memory, point " << i;
            ++refused;
            ASSERT_EQ(PointListCount(list), static_cast<std::int32_t>(expected.size()));
            ASSERT_TRUE(SamePoints(Contents(list), expected)) << "list changed by a failed append, point " << i;
            ASSERT_TRUE(PointListAppend(list, Point(-i, i)));
            expected.push_back(Point(-i, i));
        }
        ASSERT_EQ(PointListCount(list), static_cast<std::int32_t>(expected.size()));
    }
    EXPECT_TRUE(SamePoints(Contents(list), expected));
    // A list that grows by 3000 points has to ask for memory more than once.
    EXPECT_GT(refused, 1);
}

TEST(PointList, DestroyFreesEverythingAndNullsTheVariable) {
    for (const int points : {0, 1, 1000}) {
        SCOPED_TRACE(points);
        const long long before = liveBlocks;
        PointList* list = nullptr;
        PointListCreate(list);
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < points; ++i) ASSERT_TRUE(PointListAppend(list, Point(i, i)));
        PointListDestroy(list);
        EXPECT_EQ(list, nullptr);
        EXPECT_EQ(liveBlocks, before);
    }
}

TEST(PointList, CreateOverwritesTheVariableWithoutFreeingTheOldList) {
    PointList* list = nullptr;
    PointListCreate(list);
    ASSERT_TRUE(PointListAppend(list, Point(4, 4)));
    PointList* old = list;
    PointListCreate(list);
    EXPECT_NE(list, old);
    EXPECT_EQ(PointListCount(list), 0);
    // The old list is still whole; its holder destroys it.
    EXPECT_EQ(PointListCount(old), 1);
    PlotPoint p;
    ASSERT_TRUE(PointListGet(old, 0, p));
    EXPECT_EQ(PlotPointX(p), 4);
    PointListDestroy(old);
    PointListDestroy(list);
}

TEST(PointList, ListsAreIndependent) {
    PointList* series[3] = {nullptr, nullptr, nullptr};
    for (auto& s : series) PointListCreate(s);
    for (int i = 0; i < 50; ++i)
        for (int t = 0; t < 3; ++t) ASSERT_TRUE(PointListAppend(series[t], Point(i, 100 * t + i)));
    ASSERT_TRUE(PointListAppend(series[1], Point(-5, -5)));
    EXPECT_EQ(PointListCount(series[0]), 50);
    EXPECT_EQ(PointListCount(series[1]), 51);
    EXPECT_EQ(PointListCount(series[2]), 50);
    PlotPoint p;
    for (int t = 0; t < 3; ++t) {
        ASSERT_TRUE(PointListGet(series[t], 49, p));
        EXPECT_EQ(PlotPointY(p), 100 * t + 49);
    }
    for (auto& s : series) PointListDestroy(s);
}

// ---------------------------------------------------------------------------------------
// PlotPoint conversions

TEST(PlotPoint, MakeRoundsToTheNearestFloat) {
    struct Case {
        std::int32_t in;
        float out;
    };
    const Case cases[] = {
        {0, 0.0f},
        {3, 3.0f},
        {-7, -7.0f},
        {16777216, 16777216.0f},
        {16777217, 16777216.0f},  // halfway: to the even neighbour
        {16777219, 16777220.0f},
        {2147483647, 2147483648.0f},
        {std::numeric_limits<std::int32_t>::min(), -2147483648.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        PlotPoint p;
        PlotPointMake(p, c.in, 1);
        EXPECT_EQ(p.x, c.out);
        EXPECT_EQ(p.y, 1.0f);
        PlotPointMake(p, 1, c.in);
        EXPECT_EQ(p.x, 1.0f);
        EXPECT_EQ(p.y, c.out);
    }
}

TEST(PlotPoint, SentinelValueIsTwoToThe31) {
    PlotPoint p;
    PlotPointMake(p, 2147483647, 1);
    EXPECT_EQ(p.x, 2147483648.0f);
    EXPECT_EQ(p.y, 1.0f);
    // 2^31 is outside the 32-bit range: the conversion saturates instead of overflowing.
    EXPECT_EQ(PlotPointX(p), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(PlotPointY(p), 1);
}

TEST(PlotPoint, TruncatesTowardZero) {
    struct Case {
        float in;
        std::int32_t out;
    };
    const Case cases[] = {
        {2.7f, 2},
        {-2.7f, -2},
        {0.999f, 0},
        {-0.999f, 0},
        {-0.0f, 0},
        {12.9f, 12},
        {7.9f, 7},
        {3.0f, 3},
        {2147483520.0f, 2147483520},  // largest float below 2^31
        {-2147483648.0f, std::numeric_limits<std::int32_t>::min()},
        {1e20f, std::numeric_limits<std::int32_t>::max()},
        {-1e20f, std::numeric_limits<std::int32_t>::min()},
        {std::numeric_limits<float>::infinity(), std::numeric_limits<std::int32_t>::max()},
        {-std::numeric_limits<float>::infinity(), std::numeric_limits<std::int32_t>::min()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        PlotPoint p;
        p.x = c.in;
        p.y = -c.in;
        EXPECT_EQ(PlotPointX(p), c.out);
        p.x = -c.in;
        p.y = c.in;
        EXPECT_EQ(PlotPointY(p), c.out);
    }
}

TEST(PlotPoint, NotANumberGivesZero) {
    PlotPoint p;
    p.x = std::numeric_limits<float>::quiet_NaN();
    p.y = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(PlotPointX(p), 0);
    EXPECT_EQ(PlotPointY(p), 0);
}

}  // namespace
