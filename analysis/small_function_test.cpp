#include "analysis/small_function.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace {

using Small = SmallFunction<int(int), 32>;

// The read-check-solve path asks a hook whether it is set: every way of
// making an empty std::function must give an empty hook, or the path calls
// nothing and throws.
TEST(SmallFunction, EmptyWhereStdFunctionIsEmpty) {
    EXPECT_FALSE(Small());
    EXPECT_FALSE(Small(nullptr));
    EXPECT_FALSE(Small(std::function<int(int)>()));
    int (*none)(int) = nullptr;
    EXPECT_FALSE(Small(none));
    EXPECT_FALSE((SmallFunction<int(int), 64>(Small())));
    EXPECT_THROW(Small()(1), std::bad_function_call);

    Small set = [](int x) { return x; };
    EXPECT_TRUE(set);
    set = {};
    EXPECT_FALSE(set);
}

// In place and on the heap, plain and owning: copies are independent, a
// move empties its source, and every owned object is released once.
TEST(SmallFunction, CopiesMovesAndReleasesEachKindOfCallable) {
    auto owner = std::make_shared<int>(5);
    const std::array<int, 16> wide{7};  // larger than the room in place
    const std::string text = "a string too long for its own small buffer";
    const std::function<int(int)> wrapped = [](int x) { return 3 * x; };
    struct Case {
        const char* name;
        Small f;
        int atTwo;
    };
    Case cases[] = {
        {"plain in place", [k = 10](int x) { return k + x; }, 12},
        {"owning in place", [owner](int x) { return *owner + x; }, 7},
        {"plain on the heap", [wide](int x) { return wide[0] + x; }, 9},
        {"owning on the heap", [owner, text](int x) { return *owner + x + int(text.size()); },
         7 + int(text.size())},
        {"a std::function", wrapped, 6},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        Small copy = c.f;
        Small assigned;
        assigned = copy;
        Small moved = std::move(copy);
        EXPECT_FALSE(copy);  // NOLINT(bugprone-use-after-move): a move empties its source
        EXPECT_EQ(c.f(2), c.atTwo);
        EXPECT_EQ(assigned(2), c.atTwo);
        EXPECT_EQ(moved(2), c.atTwo);
        moved = std::move(assigned);
        EXPECT_EQ(moved(2), c.atTwo);
    }
    // The two owning cases each hold one copy; the copies made above are gone.
    EXPECT_EQ(owner.use_count(), 3);
}

// A callable that changes its own state keeps it, as in std::function.
TEST(SmallFunction, CallsTheCallableItHolds) {
    SmallFunction<int(), 16> counter = [n = 0]() mutable { return ++n; };
    EXPECT_EQ(counter(), 1);
    EXPECT_EQ(counter(), 2);
    SmallFunction<void(int&), 16> add = [](int& x) { x += 4; };
    int value = 1;
    add(value);
    EXPECT_EQ(value, 5);
}

}  // namespace
