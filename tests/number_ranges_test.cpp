#include "core/number_ranges.h"

#include <gtest/gtest.h>

namespace {

NumberRanges ranges(const char *text)
{
    return *NumberRanges::decoded(QByteArrayView(text));
}

// Runs are joined where they touch, and cut where another set has numbers.
TEST(NumberRanges, RunsAreJoinedAndCut)
{
    const struct
    {
        const char *set;
        const char *other;
        const char *united;
        const char *minus; // set without other
    } cases[] = {
        // clang-format off
        {"", "", "", ""},
        {"1-3", "", "1-3", "1-3"},
        {"1-3", "4-5", "1-5", "1-3"},
        {"1-3", "5", "1-3+5", "1-3"},
        {"2-9", "4-5", "2-9", "2-3+6-9"},
        {"4-5", "2-9", "2-9", ""},
        {"1+3+5", "2+4", "1-5", "1+3+5"},
        {"1-10", "1+3+10", "1-10", "2+4-9"},
        {"1-2+8-9", "2-8", "1-9", "1+9"},
        {"5", "1-4+6-7", "1-7", "5"},
        // clang-format on
    };
    for (const auto &c : cases) {
        NumberRanges united = ranges(c.set);
        united.unite(ranges(c.other));
        EXPECT_EQ(united.encoded(), QByteArray(c.united)) << c.set << " | " << c.other;
        EXPECT_EQ(ranges(c.set).minus(ranges(c.other)).encoded(), QByteArray(c.minus))
            << c.set << " - " << c.other;
        for (qint64 n = 0; n <= 11; ++n)
            EXPECT_EQ(united.contains(n), ranges(c.set).contains(n) || ranges(c.other).contains(n))
                << c.set << " | " << c.other << " holds " << n;
    }
}

// Only a list of runs in order, apart, of numbers from 1, is read.
TEST(NumberRanges, OnlyRunsInOrderAreRead)
{
    const struct
    {
        const char *text;
        bool read;
    } cases[] = {
        // clang-format off
        {"", true}, {"7", true}, {"1-2+4+6-9", true},
        {"0", false}, {"0-3", false}, {"3-2", false}, {"1-3+3", false}, {"1-3+4", false},
        {"4+1", false}, {"1+", false}, {"+1", false}, {"1--2", false}, {"a", false},
        {"1,2", false}, {"-1", false},
        // clang-format on
    };
    for (const auto &c : cases) {
        const auto read = NumberRanges::decoded(QByteArrayView(c.text));
        EXPECT_EQ(read.has_value(), c.read) << c.text;
        if (read)
            EXPECT_EQ(read->encoded(), QByteArray(c.text)) << c.text;
    }
}

} // namespace
