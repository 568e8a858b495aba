#include "test_support.h"
#include "sync/conflict_copies.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"

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

// A conflict copy brings the pairs the file lacks, after the file's own and in the copy's order,
// as far as there is room; the counters are the view's business, not the merge's.
TEST(ConflictCopies, ThePairsTheFileLacksAreTakenFromTheCopy)
{
    Vocabulary mine = vocabularyOf({"pes / r Hund @ 5, 0, 1, 0", "kočka / e Katze @ 2, 1, 0, 1"});
    const Vocabulary theirs
        = vocabularyOf({"pes / r Hund @ 4, 0, 2, 0", "kůň / s Pferd @ 1, 0, 1, 0",
                        "kočka / e Katze @ 1, 1, 0, 1", "myš / e Maus"});
    const PairsTaken taken = TakeMissingPairs(mine, theirs);
    EXPECT_EQ(taken.added, 2);
    EXPECT_EQ(taken.left, 0);
    ASSERT_EQ(mine.count(), 4);
    EXPECT_EQ(CountersOf(mine.at(1)), (Counters{5, 0, 1, 0})) << "the file's pair is kept";
    EXPECT_EQ(mine.at(3).side[1], U("kůň"));
    EXPECT_EQ(mine.at(4).side[1], U("myš"));
    const Vocabulary before = mine;
    EXPECT_EQ(TakeMissingPairs(mine, theirs).added, 0) << "taken once";
    EXPECT_EQ(mine.entries, before.entries);

    Vocabulary full;
    for (int i = 0; i < Vocabulary::Capacity; ++i) {
        VocabularyEntry entry;
        entry.side[1] = QString::number(i);
        entry.side[2] = QString::number(i);
        full.entries.append(entry);
    }
    const PairsTaken noRoom = TakeMissingPairs(full, theirs);
    EXPECT_EQ(noRoom.added, 0);
    EXPECT_EQ(noRoom.left, 4);
}

} // namespace
