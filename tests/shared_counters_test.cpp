#include "sync/shared_counters.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

// A setting written "a3@1000 2,0,1,0 {a:1-2,b:1}": computer a, its record 3, at 1000 ms, the
// counters, and what a had read.
PairSetting setting(const char *computer, qint64 seq, qint64 atMs, Counters counters,
                    const char *context, bool entering = false)
{
    return {QLatin1String(computer), seq, atMs, counters, Records(context), entering};
}

PairAnswer answer(const char *computer, qint64 seq, int side = 1, bool wrong = false)
{
    return {QLatin1String(computer), seq, side, wrong};
}

// The rule for one pair: the setting that no other knew of (the latest of several made
// without each other), and every answer it did not know of; each answer counts once.
TEST(SharedCounters, EachAnswerCountsOnceBeyondTheSettingInForce)
{
    const struct
    {
        const char *name;
        QList<PairSetting> settings;
        QList<PairAnswer> answers;
        Counters counters;
    } cases[] = {
        // clang-format off
        {"no setting: every answer", {}, {answer("a", 1), answer("b", 1, 2, true)}, {1, 1, 0, 1}},
        {"an answer inside the context is in the numbers", {setting("a", 3, 10, {5, 0, 2, 0}, "a:1-2")}, {answer("a", 1), answer("a", 2, 1, true)}, {5, 0, 2, 0}},
        {"an answer outside it is added", {setting("a", 3, 10, {5, 0, 2, 0}, "a:1-2")}, {answer("a", 4, 2, true), answer("b", 1)}, {6, 1, 2, 1}},
        {"an answer not numbered yet is added", {setting("a", 3, 10, {5, 0, 2, 0}, "a:1-2")}, {answer("", 0)}, {6, 0, 2, 0}},
        {"a later setting that knew the first replaces it", {setting("a", 1, 10, {5, 0, 2, 0}, ""), setting("b", 4, 5, {0, 0, 0, 0}, "a:1,b:1-3")}, {answer("b", 2), answer("a", 2)}, {1, 0, 0, 0}},
        {"known by context, not by time", {setting("a", 9, 99, {5, 0, 0, 0}, ""), setting("b", 1, 1, {7, 0, 0, 0}, "a:9")}, {}, {7, 0, 0, 0}},
        {"two made apart: the later by time", {setting("a", 2, 20, {4, 0, 0, 0}, "a:1"), setting("b", 2, 30, {0, 0, 0, 0}, "b:1")}, {answer("a", 1), answer("b", 1)}, {1, 0, 0, 0}},
        {"two made apart at one time: the greater computer", {setting("a", 2, 30, {4, 0, 0, 0}, "a:1"), setting("b", 2, 30, {0, 0, 0, 0}, "b:1")}, {answer("a", 1), answer("b", 1)}, {1, 0, 0, 0}},
        {"brought in on two computers apart: the first", {setting("a", 1, 10, {4, 0, 0, 0}, "", true), setting("b", 2, 20, {5, 0, 0, 0}, "b:1", true)}, {answer("a", 2), answer("b", 1)}, {6, 0, 0, 0}},
        {"a reset beats counters brought in apart", {setting("a", 1, 50, {4, 0, 0, 0}, "", true), setting("b", 2, 20, {0, 0, 0, 0}, "", false)}, {answer("a", 2)}, {1, 0, 0, 0}},
        {"a rename carries the counters its context held", {setting("a", 5, 50, {3, 1, 1, 0}, "a:1-4,b:1-2")}, {answer("b", 3, 2)}, {3, 2, 1, 0}},
        {"counters stop at the largest value", {setting("a", 2, 1, {2147483647, 0, 2147483647, 0}, "")}, {answer("a", 3, 1, true)}, {2147483647, 0, 2147483647, 0}},
        // clang-format on
    };
    for (const auto &c : cases) {
        EXPECT_EQ(SharedPairCounters(c.settings, c.answers), c.counters) << c.name;
        // Only the set of records matters, not the order they came in.
        QList<PairSetting> reversed(c.settings.crbegin(), c.settings.crend());
        QList<PairAnswer> answers(c.answers.crbegin(), c.answers.crend());
        EXPECT_EQ(SharedPairCounters(reversed, answers), c.counters) << c.name << " reversed";
    }
}

} // namespace
