#include "test_support.h"
#include "vocabulary/conflict_copies.h"
#include "vocabulary/vocabulary_file.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct NameCase
{
    const char *copy;
    const char *original;
    bool isCopy;
};

TEST(ConflictCopies, AreKnownByTheNamesSyncToolsGiveThem)
{
    const NameCase cases[] = {
        // clang-format off
        {"lekce.sync-conflict-20261207-101500-ABCDEFG.slv", "lekce.slv", true},
        {"lekce (conflicted copy 2026-12-07 101500).slv", "lekce.slv", true},
        {"lekce (Jana's conflicted copy 2026-12-07).slv", "lekce.slv", true},
        {"lekce (conflicted copy 2026-12-07) (1).slv", "lekce.slv", true},
        {"němčina 1.sync-conflict-20261207-101500-7QZ2MXA.slv", "němčina 1.slv", true},
        {"lekce.sync-conflict-20261207-101500-ABCDEFG", "lekce", true},
        {"lekce.sync-conflict-20261207-101500-ABCDEFG.slv", "lekce2.slv", false},
        {"lekce2.sync-conflict-20261207-101500-ABCDEFG.slv", "lekce.slv", false},
        {"lekce.sync-conflict-2026127-101500-ABCDEFG.slv", "lekce.slv", false},
        {"lekce (copy 2026-12-07).slv", "lekce.slv", false},
        {"lekce.slv", "lekce.slv", false},
        {"lekce.sync-conflict-20261207-101500-ABCDEFG.txt", "lekce.slv", false},
        // clang-format on
    };
    for (const NameCase &c : cases)
        EXPECT_EQ(IsConflictCopyName(U(c.copy), U(c.original)), c.isCopy) << c.copy;
}

TEST(ConflictCopies, AreFoundBesideTheDictionary)
{
    QTemporaryDir dir;
    const auto path = [&](const char *name) {
        return QDir(dir.path()).filePath(U(name));
    };
    for (const char *name : {"lekce.slv", "lekce.sync-conflict-20261207-101500-ABCDEFG.slv",
                             "lekce (conflicted copy 2026-12-07 101500).slv", "lekce 2.slv"})
        WriteBytes(path(name), "a / b\r\n");
    EXPECT_EQ(ConflictCopies(path("lekce.slv")),
              (QStringList{path("lekce (conflicted copy 2026-12-07 101500).slv"),
                           path("lekce.sync-conflict-20261207-101500-ABCDEFG.slv")}));
}

Vocabulary vocabularyOf(std::initializer_list<const char *> lines)
{
    Vocabulary vocabulary;
    for (const char *line : lines)
        vocabulary.entries.append(ParseVocabularyLine(U(line), false).entry);
    return vocabulary;
}

// Two computers began with the same version (each had counted answers 1 to 3 of computer
// "a" and 1 to 2 of "b"), then each answered alone: "a" its answers 4 and 5, "b" its 3 and 4,
// and "b" added a pair. The merge counts each answer once.
TEST(ConflictCopies, MergingCountsEveryAnswerOnceAndKeepsEveryPair)
{
    Vocabulary mine = vocabularyOf({"pes / r Hund @ 5, 0, 1, 0", "kočka / e Katze @ 2, 1, 0, 1"});
    const Vocabulary theirs
        = vocabularyOf({"pes / r Hund @ 4, 0, 2, 0", "kočka / e Katze @ 1, 1, 0, 1",
                        "kůň / s Pferd @ 1, 0, 1, 0"});
    const VocabularyEntry dog = theirs.entries.at(0);
    const VocabularyEntry horse = theirs.entries.at(2);
    const auto answersOf = [&](const QString &computer, qint64 after, qint64 upTo) {
        // Only what "b" answered after what the dictionary holds is asked for.
        EXPECT_EQ(computer, QStringLiteral("b"));
        EXPECT_EQ(after, 2);
        EXPECT_EQ(upTo, 4);
        return QList<CountedAnswer>{{dog, 1, true}, {horse, 1, true}};
    };
    const VersionMerge merge
        = MergeConflictCopy(mine, Counts("a:1-5,b:1-2"), theirs, Counts("a:1-3,b:1-4"), answersOf);
    EXPECT_EQ(merge.answersAdded, 1) << "the horse's answer comes with its pair";
    EXPECT_EQ(merge.pairsAdded, 1);
    EXPECT_EQ(merge.included, Counts("a:1-5,b:1-4"));
    ASSERT_EQ(mine.count(), 3);
    EXPECT_EQ(CountersOf(mine.at(1)), (Counters{6, 0, 2, 0}));
    EXPECT_EQ(CountersOf(mine.at(2)), (Counters{2, 1, 0, 1}));
    EXPECT_EQ(CountersOf(mine.at(3)), (Counters{1, 0, 1, 0}));

    // A copy that holds nothing the dictionary lacks changes nothing.
    const Vocabulary before = mine;
    const VersionMerge again = MergeConflictCopy(
        mine, merge.included, theirs, Counts("a:1-3,b:1-4"), [](const QString &, qint64, qint64) {
            ADD_FAILURE() << "nothing to ask for";
            return QList<CountedAnswer>{};
        });
    EXPECT_EQ(again.answersAdded + again.pairsAdded, 0);
    EXPECT_EQ(mine.entries, before.entries);
}

} // namespace

// A computer's answers may lie partly in the file and partly in the copy: only the runs that
// the file lacks are asked for and counted, and the merge has counted what either had.
TEST(ConflictCopies, OnlyTheRunsTheFileLacksAreCounted)
{
    const struct
    {
        const char *name;
        const char *dictionary;
        const char *copy;
        QStringList asked; // computer:after:upTo
        const char *merged;
    } cases[] = {
        // clang-format off
        {"the file has every run", "a:1-5", "a:1-3", {}, "a:1-5"},
        {"a run between two of the file's", "a:1-2+6-7", "a:1-5", {"a:2:5"}, "a:1-7"},
        {"two runs after the file's", "a:1-2", "a:4-5+8", {"a:3:5", "a:7:8"}, "a:1-2+4-5+8"},
        {"another computer's answers", "a:1-2", "b:1-3", {"b:0:3"}, "a:1-2,b:1-3"},
        {"the copy counted nothing", "a:1-2", "", {}, "a:1-2"},
        // clang-format on
    };
    for (const auto &c : cases) {
        Vocabulary mine = vocabularyOf({"pes / r Hund @ 0, 0, 0, 0"});
        const Vocabulary theirs = mine;
        const VocabularyEntry dog = mine.entries.at(0);
        QStringList asked;
        qint64 answers = 0;
        const VersionMerge merge = MergeConflictCopy(
            mine, Counts(c.dictionary), theirs, Counts(c.copy),
            [&](const QString &computer, qint64 after, qint64 upTo) {
                asked.append(QStringLiteral("%1:%2:%3").arg(computer).arg(after).arg(upTo));
                answers += upTo - after;
                return QList<CountedAnswer>(upTo - after, {dog, 1, false});
            });
        EXPECT_EQ(asked, c.asked) << c.name;
        EXPECT_EQ(merge.included, Counts(c.merged)) << c.name;
        EXPECT_EQ(CountersOf(mine.at(1)), (Counters{int(answers), 0, 0, 0})) << c.name;
    }
}

// Of a version written alike, by several computers or by one twice, every computer takes the
// same word.
TEST(ConflictCopies, OneWriterIsTakenForAVersionWrittenAlike)
{
    using Writers = QMultiHash<QString, IncludedAnswers>;
    const struct
    {
        const char *name;
        Writers writers;
        const char *expected;
    } cases[] = {
        // clang-format off
        {"one writer", {{U("school"), Counts("school:1-2")}}, "school:1-2"},
        {"the first by name", {{U("school"), Counts("school:1-2")}, {U("home"), Counts("home:1-3")}}, "home:1-3"},
        {"one writer twice", {{U("home"), Counts("home:1-2+4")}, {U("home"), Counts("home:1-3")}, {U("school"), Counts("home:1")}}, "home:1-2+4"},
        {"no log names it", {}, ""},
        // clang-format on
    };
    for (const auto &c : cases)
        EXPECT_EQ(CountedByOneWriter(c.writers), Counts(c.expected)) << c.name;
}
