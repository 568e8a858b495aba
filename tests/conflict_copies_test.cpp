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
        = MergeConflictCopy(mine, {{"a", 5}, {"b", 2}}, theirs, {{"a", 3}, {"b", 4}}, answersOf);
    EXPECT_EQ(merge.answersAdded, 1) << "the horse's answer comes with its pair";
    EXPECT_EQ(merge.pairsAdded, 1);
    EXPECT_EQ(merge.included, (IncludedAnswers{{"a", 5}, {"b", 4}}));
    ASSERT_EQ(mine.count(), 3);
    EXPECT_EQ(CountersOf(mine.at(1)), (Counters{6, 0, 2, 0}));
    EXPECT_EQ(CountersOf(mine.at(2)), (Counters{2, 1, 0, 1}));
    EXPECT_EQ(CountersOf(mine.at(3)), (Counters{1, 0, 1, 0}));

    // A copy that holds nothing the dictionary lacks changes nothing.
    const Vocabulary before = mine;
    const VersionMerge again = MergeConflictCopy(mine, merge.included, theirs, {{"a", 3}, {"b", 4}},
                                                 [](const QString &, qint64, qint64) {
                                                     ADD_FAILURE() << "nothing to ask for";
                                                     return QList<CountedAnswer>{};
                                                 });
    EXPECT_EQ(again.answersAdded + again.pairsAdded, 0);
    EXPECT_EQ(mine.entries, before.entries);
}

} // namespace

// What each version counted, chosen from what their writers logged.
TEST(ConflictCopies, WhatEachVersionCountedComesFromItsWriters)
{
    using Writers = QHash<QString, IncludedAnswers>;
    const IncludedAnswers home{{U("home"), 3}};
    const IncludedAnswers school{{U("school"), 2}};
    const IncludedAnswers both{{U("home"), 3}, {U("school"), 2}};
    const struct
    {
        const char *name;
        Writers dictionary;
        Writers copy;
        bool alike;
        IncludedAnswers expectedDictionary;
        IncludedAnswers expectedCopy;
    } cases[] = {
        // clang-format off
        {"one writer each", {{U("school"), school}}, {{U("home"), home}}, false, school, home},
        {"alike, one from each writer", {{U("school"), school}, {U("home"), home}}, {}, true, home, school},
        {"alike, one writer: nothing between them", {{U("home"), home}}, {}, true, home, home},
        {"the file written alike by two: the most", {{U("a"), home}, {U("b"), school}}, {{U("home"), both}}, false, both, both},
        {"the copy written alike by two: the least", {}, {{U("a"), both}, {U("b"), home}}, false, {}, home},
        {"no log names either", {}, {}, false, {}, {}},
        // clang-format on
    };
    for (const auto &c : cases) {
        const Writers copy = c.alike ? c.dictionary : c.copy;
        const CountedByVersions counted = ChooseCounted(c.dictionary, copy, c.alike);
        EXPECT_EQ(counted.dictionary, c.expectedDictionary) << c.name;
        EXPECT_EQ(counted.copy, c.expectedCopy) << c.name;
    }
}
