#include "core/file_error.h"
#include "test_support.h"
#include "vocabulary/editor_content.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"

#include <QDir>
#include <QFileInfo>

#include <initializer_list>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class VocabularyStoreTest : public testing::Test
{
protected:
    QString path(const char *name) const { return QDir(dir.path()).filePath(QLatin1String(name)); }
    QTemporaryDir dir;
};

TEST_F(VocabularyStoreTest, SavingSkipsAnEmptyOrSetAsideDictionary)
{
    Vocabulary vocabulary;
    vocabulary.path = path("never.slv");
    SaveVocabulary(vocabulary); // no pairs
    vocabulary.path.clear();
    vocabulary.entries.append(VocabularyEntry{});
    SaveVocabulary(vocabulary); // no path
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(VocabularyStoreTest, ACaptionNamesTheThemeAndTheCount)
{
    Vocabulary vocabulary;
    vocabulary.entries.resize(8);
    EXPECT_EQ(VocabularyCaption(vocabulary), QStringLiteral(" ????? (slov: 8)"));
    vocabulary.theme = QString::fromUtf8("*čeština-němčina, lekce 1");
    EXPECT_EQ(VocabularyCaption(vocabulary),
              QString::fromUtf8(" čeština-němčina, lekce 1 (slov: 8)"));
    vocabulary.theme = QStringLiteral("*");
    EXPECT_EQ(VocabularyCaption(vocabulary), QStringLiteral("  (slov: 8)"));
    vocabulary.theme = QLatin1Char('*') + QString(150, QLatin1Char('x'));
    EXPECT_EQ(VocabularyCaption(vocabulary),
              QLatin1Char(' ') + QString(100, QLatin1Char('x')) + QStringLiteral(" (slov: 8)"));
}

// A dictionary's lock is beside it, unless a sync tool would carry it to another computer.
TEST(DictionaryLockFile, StaysOnThisComputerForASynchronisedDictionary)
{
    const struct
    {
        const char *dictionary;
        const char *syncFolder;
        const char *localFolder;
        bool local;
    } cases[] = {
        {"/home/jana/lekce.slv", "", "/data/locks", false},
        {"/home/jana/lekce.slv", "/home/jana/sync", "/data/locks", false},
        {"/home/jana/sync2/lekce.slv", "/home/jana/sync", "/data/locks", false},
        {"/home/jana/sync/lekce.slv", "/home/jana/sync", "/data/locks", true},
        {"/home/jana/sync/nemcina/lekce.slv", "/home/jana/sync/", "/data/locks", true},
        {"/home/jana/sync/lekce.slv", "/home/jana/sync", "", false},
    };
    for (const auto &c : cases) {
        const QString lock = LockFilePath(QLatin1String(c.dictionary), QLatin1String(c.syncFolder),
                                          QLatin1String(c.localFolder));
        if (c.local)
            EXPECT_TRUE(lock.startsWith(QStringLiteral("/data/locks/"))) << lock.toStdString();
        else
            EXPECT_EQ(lock, QFileInfo(QLatin1String(c.dictionary)).path() + QStringLiteral("/.")
                                + QFileInfo(QLatin1String(c.dictionary)).fileName()
                                + QStringLiteral(".lock"));
    }
    EXPECT_NE(LockFilePath("/s/a/lekce.slv", "/s", "/l"),
              LockFilePath("/s/b/lekce.slv", "/s", "/l"))
        << "one lock a dictionary";
}

TEST(EditorContent, RowsAreReadWithoutTrimmingOrCuttingAndTheRestIsKept)
{
    const QByteArray file = Cp1250("*téma\r\n\r\n  a {k} / b @ 1,2\r\n*skip / me\r\nno slash\n"
                                   "x@y/z\r\n / \r\n")
                            + QByteArray(60, 'q')
                            + "/w\r\n* konec\r\n\x1a"
                              "za koncem";
    const EditorContent content = ReadEditorContent(file);
    EXPECT_EQ(content.theme, U("*téma"));
    ASSERT_EQ(content.rows.size(), 3);
    EXPECT_EQ(content.rows[0], (EditorRow{QStringLiteral("a {k}"), QStringLiteral("b")}));
    EXPECT_EQ(content.rows[1], (EditorRow{QString(), QString()}));
    EXPECT_EQ(content.rows[2].first, QString(60, QLatin1Char('q'))) << "never cut";
    EXPECT_EQ(content.counters[0], (Counters{1, 2, 0, 0}));
    EXPECT_EQ(content.linesBefore[1],
              (QStringList{U("*skip / me\r\n"), U("no slash\n"), U("x@y/z\r\n")}));

    // Saved as it was read: every unseen line in its place, the counters after their rows.
    EXPECT_EQ(FormatEditorFile(content),
              Cp1250("*téma\r\n\r\na {k}   /   b @    1,    2,    0,    0\r\n*skip / me\r\n"
                     "no slash\nx@y/z\r\n   /   \r\n")
                  + QByteArray(60, 'q')
                  + "   /   w\r\n* konec\r\n\x1a"
                    "za koncem");

    // A corrected row keeps its counters; a new one comes after the last row read.
    EditorContent edited = content;
    edited.rows[0].second = QStringLiteral("B");
    edited.rows.append({QStringLiteral("nový"), QStringLiteral("neu")});
    const QByteArray saved = FormatEditorFile(edited);
    EXPECT_TRUE(saved.contains("a {k}   /   B @    1,    2,    0,    0\r\n"));
    EXPECT_TRUE(saved.contains("   /   w\r\n" + Cp1250("nový   /   neu\r\n* konec\r\n")));

    // A row whose sides (or one side) the user emptied is gone; the lines before it stay.
    for (const EditorRow &row : {EditorRow{}, EditorRow{QString(), QStringLiteral("b")},
                                 EditorRow{QStringLiteral("a {k}"), QStringLiteral(" ")}}) {
        EditorContent emptied = content;
        emptied.rows[0] = row;
        EXPECT_EQ(FormatEditorFile(emptied).left(30),
                  Cp1250("*téma\r\n\r\n*skip / me\r\nno slash\n"))
            << row.first.toStdString() << '/' << row.second.toStdString();
    }
}

TEST(EditorContent, NewRowsAreWrittenAsTyped)
{
    EditorContent toWrite;
    toWrite.rows = {{QStringLiteral(" a "), QStringLiteral("b")},
                    {QStringLiteral("only"), QStringLiteral(" \t")},
                    {QString(60, QLatin1Char('q')), QStringLiteral("w")}};
    EXPECT_EQ(FormatEditorFile(toWrite),
              QByteArray(" a    /   b\r\n") + QByteArray(60, 'q') + "   /   w\r\n");
    EXPECT_EQ(FormatNewDictionaryLines(QStringLiteral("lekce 1"),
                                       {{QStringLiteral("pes"), QStringLiteral("der Hund")}}),
              (QStringList{QStringLiteral("* lekce 1"),
                           PadRight(QStringLiteral("pes"), 25) + QLatin1Char('/')
                               + PadRight(QStringLiteral("der Hund"), 25)}));
}

Vocabulary pairs(std::initializer_list<const char *> lines)
{
    QByteArray bytes;
    for (const char *line : lines)
        bytes += Cp1250(line) + "\r\n";
    return ParseVocabularyFile(bytes, QStringLiteral("x.slv"));
}

// This session's answers are added to what another writer left, pair by pair by their text.
TEST(MergeAnswers, AddsTheSessionsAnswersToThePairsOfTheSameText)
{
    Vocabulary mine = pairs({"pes / r Hund @ 1,0,0,0", "a / b", "a / b", "smazaný / gelöscht",
                             "nula / null @ 5,5,5,5", "zmizelý / weg @ 3,0,0,0"});
    mine.at(1).offers[1] += 2; // two answers, one wrong
    mine.at(1).errors[1] += 1;
    mine.at(3).offers[2] += 1;             // the second of two equal pairs
    mine.at(4).offers[1] += 1;             // a pair the other writer removed
    SetCounters(mine.at(5), {0, 0, 0, 0}); // reset in this session
    Vocabulary theirs = pairs({"nový / neu", "a / b @ 9,9,9,9", "pes / r Hund @ 10,0,3,0",
                               "a / b @ 1,1,1,1", "nula / null @ 7,5,5,2"});
    int lost = -1;
    const QList<int> positions = MergeAnswers(mine, theirs, &lost);
    EXPECT_EQ(positions, (QList<int>{3, 2, 4, 0, 5, 0}));
    EXPECT_EQ(lost, 1) << "a removed pair never answered here loses nothing";
    EXPECT_EQ(CountersOf(theirs.at(3)), (Counters{12, 0, 4, 0}));
    EXPECT_EQ(CountersOf(theirs.at(2)), (Counters{9, 9, 9, 9})) << "the first equal pair";
    EXPECT_EQ(CountersOf(theirs.at(4)), (Counters{1, 2, 1, 1}));
    // The reset takes away what the file held when it was read; what was added since stays.
    EXPECT_EQ(CountersOf(theirs.at(5)), (Counters{2, 0, 0, 0}));
    EXPECT_EQ(CountersOf(theirs.at(1)), (Counters{0, 0, 0, 0}));
}

TEST_F(VocabularyStoreTest, OnlyAChangedContentIsMergedAndOnlyAnswersAreWritten)
{
    WriteBytes(path("a.slv"), "pes / r Hund\r\n");
    Vocabulary vocabulary;
    ReadVocabularyFile(path("a.slv"), vocabulary);
    vocabulary.path = path("a.slv");
    EXPECT_FALSE(SaveVocabulary(vocabulary).written) << "no answers, no write";
    EXPECT_EQ(ReadBytes(path("a.slv")), "pes / r Hund\r\n");

    // Written again with the same content (a touch, a copy back): not another writer's change.
    WriteBytes(path("a.slv"), "pes / r Hund\r\n");
    vocabulary.at(1).offers[1] = 1;
    const WriteBack first = SaveVocabulary(vocabulary);
    EXPECT_TRUE(first.written);
    EXPECT_FALSE(first.merged);

    WriteBytes(path("a.slv"), "pes / r Hund @ 5,0,0,0\r\nkůň / s Pferd\r\n");
    vocabulary.at(1).offers[1] = 2;
    const WriteBack second = SaveVocabulary(vocabulary);
    EXPECT_TRUE(second.merged);
    EXPECT_EQ(second.newPositions, QList<int>{1});
    EXPECT_EQ(vocabulary.count(), 2);
    EXPECT_EQ(vocabulary.at(1).offers[1], 6);
    EXPECT_FALSE(vocabulary.hasUnsavedAnswers());

    // Replaced by something that is no dictionary: not written over, the answers stay.
    WriteBytes(path("a.slv"), "jen poznámky\r\n");
    vocabulary.at(2).offers[2] = 1;
    EXPECT_THROW(SaveVocabulary(vocabulary), FileError);
    EXPECT_EQ(ReadBytes(path("a.slv")), "jen poznámky\r\n");
    EXPECT_TRUE(vocabulary.hasUnsavedAnswers());
}

} // namespace

namespace {

// An answer on a pair reaches its line unless the line cannot hold counters; then the user
// learns which pair it is.
TEST(UnstoredPairs, DamagedCountersHoldAnswersWordsAfterTheAtDoNot)
{
    // clang-format off
    const struct { const char *line; bool stored; } cases[] = {
        {"ucho / s Ohr @a,7,,3", true},
        {"pes / dog @ 3, 1, x, 0", true},
        {"pes / dog @ 3,1,0,0", true},
        {"pes / dog @ u Nováků", false},
        {"dům @3 / s Haus", false},
    };
    // clang-format on
    for (const auto &c : cases) {
        Vocabulary vocabulary = ParseVocabularyFile(Cp1250(c.line), QStringLiteral("x.slv"));
        const qint32 before = vocabulary.at(1).offers[1];
        vocabulary.at(1).offers[1] += 1;
        EXPECT_EQ(UnstoredPairs(vocabulary).isEmpty(), c.stored) << c.line;
        const Vocabulary back
            = ParseVocabularyFile(FormatVocabularyFile(vocabulary), QStringLiteral("x.slv"));
        EXPECT_EQ(back.at(1).offers[1], c.stored ? before + 1 : before) << c.line;
    }
}

} // namespace
