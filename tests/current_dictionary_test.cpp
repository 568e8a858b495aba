#include "core/file_error.h"
#include "test_support.h"
#include "vocabulary/current_dictionary.h"
#include "exchange/imported_pairs.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <functional>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Sharing = CurrentDictionary::Sharing;
using Status = DictionaryResult::Status;

// The current dictionary's rules of files, with a second copy of the program where it matters.
class CurrentDictionaryTest : public testing::Test
{
protected:
    void SetUp() override { WriteBytes(path("a.slv"), "pes / r Hund\r\nkocka / e Katze\r\n"); }
    QString path(const char *name) const { return QDir(dir.path()).filePath(QLatin1String(name)); }
    // One wrong answer to the pair at the position, offered with side 1.
    void answerWrongly(int position)
    {
        VocabularyEntry &entry = dictionary.vocabulary().at(position);
        ++entry.offers[1];
        ++entry.errors[1];
    }

    QTemporaryDir dir;
    CurrentDictionary dictionary;
};

TEST_F(CurrentDictionaryTest, OpeningWritesTheCurrentBackAndReadsTheNewFileByItsFullName)
{
    QDir(dir.path()).mkdir(QStringLiteral("other"));
    WriteBytes(path("other/a.slv"), "jiny / anderer\r\n");
    QSignalSpy opened(&dictionary, &CurrentDictionary::opened);
    ASSERT_TRUE(dictionary.open(path("a.slv"), Sharing::RespectOtherCopies).done());
    answerWrongly(1);

    // The same name in another folder: each dictionary keeps its own file.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(path("other"));
    dictionary.open(QStringLiteral("a.slv"), Sharing::RespectOtherCopies);
    QDir::setCurrent(previous);
    EXPECT_EQ(dictionary.path(), path("other/a.slv"));
    EXPECT_EQ(dictionary.vocabulary().at(1).side[1], QStringLiteral("jiny"));
    EXPECT_TRUE(ReadBytes(path("a.slv")).contains(" @    1,    0,    1,    0\r\n"));
    EXPECT_EQ(ReadBytes(path("other/a.slv")), "jiny / anderer\r\n") << "only read";
    EXPECT_EQ(opened.count(), 2);

    // A file that cannot be read changes nothing.
    EXPECT_THROW(dictionary.open(path("chybi.slv"), Sharing::RespectOtherCopies), FileError);
    EXPECT_EQ(dictionary.path(), path("other/a.slv"));
    EXPECT_EQ(opened.count(), 2);
}

// Once its folder is shared by a sync tool, the open dictionary's lock moves to this computer's
// own folder, and back when it is no longer shared.
// A dictionary of the synchronised folder is written as its file now is (another computer's
// write, a hand edit), with the pairs of its conflict copies, and the counters the answers of
// all computers give; bytes that would not change are not written.
TEST_F(CurrentDictionaryTest, ASharedDictionaryIsTheFilesPairsWithTheAnswersCounters)
{
    const auto key = [](const char *side1, const char *side2) {
        VocabularyEntry entry;
        entry.side[1] = U(side1);
        entry.side[2] = U(side2);
        return PairKey(entry);
    };
    const SharedCounters counters{{key("pes", "r Hund"), {3, 1, 2, 0}},
                                  {key("kůň", "s Pferd"), {1, 0, 0, 0}}};
    // Files as the program writes them, so that what is not changed is not written.
    const auto programForm = [&](const char *text) {
        return FormatVocabularyFile(ParseVocabularyFile(Cp1250(text), path("a.slv")));
    };
    const QByteArray mine = programForm("pes / r Hund @ 3, 1, 2, 0\r\nkocka / e Katze\r\n");
    const struct
    {
        const char *name;
        QByteArray onDisk; // empty: as read
        QList<QByteArray> copies;
        bool withCounters;
        QByteArray written;
        bool replaced;
        int added;
    } cases[] = {
        // clang-format off
        {"as read", {}, {}, true, mine, false, 0},
        {"a pair added by hand, counters kept", programForm("pes / r Hund @ 3, 1, 2, 0\r\nkocka / e Katze\r\nmys / e Maus\r\n"), {}, true, programForm("pes / r Hund @ 3, 1, 2, 0\r\nkocka / e Katze\r\nmys / e Maus\r\n"), false, 0},
        {"a backup put back", programForm("pes / r Hund @ 1, 0, 0, 0\r\nkocka / e Katze\r\n"), {}, true, mine, true, 0},
        {"a copy's pair", {}, {"kůň / s Pferd @ 9, 9, 9, 9\r\npes / r Hund\r\n"}, true, programForm("pes / r Hund @ 3, 1, 2, 0\r\nkocka / e Katze\r\nkůň / s Pferd @ 1, 0, 0, 0\r\n"), true, 1},
        {"coming into the folder", programForm("pes / r Hund @ 1, 0, 0, 0\r\nkocka / e Katze\r\n"), {"kůň / s Pferd @ 9, 9, 9, 9\r\n"}, false, programForm("pes / r Hund @ 1, 0, 0, 0\r\nkocka / e Katze\r\nkůň / s Pferd @ 9, 9, 9, 9\r\n"), false, 1},
        // clang-format on
    };
    for (const auto &c : cases) {
        WriteBytes(path("a.slv"), mine);
        ASSERT_TRUE(dictionary.open(path("a.slv"), Sharing::RespectOtherCopies).done());
        if (!c.onDisk.isEmpty())
            WriteBytes(path("a.slv"), c.onDisk);
        QList<Vocabulary> copies;
        for (const QByteArray &copy : c.copies)
            copies.append(ParseVocabularyFile(Cp1250(copy.constData()), path("copy.slv")));
        const SharedWrite done = dictionary.writeShared(
            c.withCounters ? std::optional(counters) : std::nullopt, copies);
        EXPECT_EQ(ReadBytes(path("a.slv")), c.written) << c.name;
        EXPECT_EQ(done.written, c.written != (c.onDisk.isEmpty() ? mine : c.onDisk)) << c.name;
        EXPECT_EQ(done.countersReplaced, c.replaced) << c.name;
        EXPECT_EQ(done.pairsAdded, c.added) << c.name;
        EXPECT_EQ(FormatVocabularyFile(dictionary.vocabulary()), c.written) << c.name;
    }
}

TEST_F(CurrentDictionaryTest, TheLockOfASynchronisedDictionaryStaysOnThisComputer)
{
    ASSERT_TRUE(dictionary.open(path("a.slv"), Sharing::RespectOtherCopies).done());
    const QString beside = LockFilePath(path("a.slv"));
    EXPECT_TRUE(QFile::exists(beside));
    dictionary.setSyncFolder(dir.path(), path("locks"));
    EXPECT_FALSE(QFile::exists(beside));
    EXPECT_TRUE(QFile::exists(LockFilePath(path("a.slv"), dir.path(), path("locks"))));
    EXPECT_TRUE(dictionary.holdsLock());
    dictionary.setSyncFolder(QString(), path("locks"));
    EXPECT_TRUE(QFile::exists(beside));
    EXPECT_FALSE(QFile::exists(LockFilePath(path("a.slv"), dir.path(), path("locks"))));
}

TEST_F(CurrentDictionaryTest, AFileOpenInAnotherCopyIsOpenedOnlyWhenSharingIsAgreed)
{
    WriteBytes(path("b.slv"), "okno / s Fenster\r\n");
    dictionary.open(path("b.slv"), Sharing::RespectOtherCopies);
    CurrentDictionary other;
    other.open(path("a.slv"), Sharing::RespectOtherCopies);

    EXPECT_EQ(dictionary.open(path("a.slv"), Sharing::RespectOtherCopies).status,
              Status::HeldElsewhere);
    EXPECT_EQ(dictionary.path(), path("b.slv")) << "nothing changed";
    EXPECT_TRUE(dictionary.open(path("a.slv"), Sharing::ShareWithOtherCopies).done());
    EXPECT_EQ(dictionary.path(), path("a.slv"));

    // A file that failed to open leaves the current dictionary its lock.
    CurrentDictionary third;
    third.open(path("b.slv"), Sharing::RespectOtherCopies);
    EXPECT_THROW(third.open(path("chybi.slv"), Sharing::RespectOtherCopies), FileError);
    EXPECT_EQ(CurrentDictionary().open(path("b.slv"), Sharing::RespectOtherCopies).status,
              Status::HeldElsewhere);
}

TEST_F(CurrentDictionaryTest, AMergeIsToldOnceUnlessItLosesAnsweredPairs)
{
    dictionary.open(path("a.slv"), Sharing::RespectOtherCopies);
    QSignalSpy moved(&dictionary, &CurrentDictionary::pairsMoved);
    answerWrongly(2);
    WriteBytes(path("a.slv"), "pes / r Hund @ 5,0,0,0\r\n"); // another writer dropped "kocka"
    const DictionaryResult lost = dictionary.writeBackAnswers();
    EXPECT_TRUE(lost.merged);
    EXPECT_EQ(lost.lostPairs, 1);
    EXPECT_TRUE(lost.tellMerge);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.first().first().value<QList<int>>(), (QList<int>{1, 0}));

    answerWrongly(1);
    WriteBytes(path("a.slv"), "pes / r Hund @ 6,0,0,0\r\nokno / s Fenster\r\n");
    const DictionaryResult again = dictionary.writeBackAnswers();
    EXPECT_TRUE(again.merged);
    EXPECT_FALSE(again.tellMerge) << "told already, nothing lost";
    EXPECT_EQ(dictionary.vocabulary().at(1).offers[1], 7);
}

TEST_F(CurrentDictionaryTest, AFailureIsNewsOnceAndSavingElsewhereTakesTheFileAndTheLock)
{
    dictionary.open(path("a.slv"), Sharing::RespectOtherCopies);
    answerWrongly(1);
    WriteBytes(path("a.slv"), "jen poznamky\r\n"); // no dictionary any more: not written over
    const DictionaryResult first = dictionary.writeBackAnswers();
    EXPECT_EQ(first.status, Status::Failed);
    EXPECT_FALSE(first.reason.isEmpty());
    EXPECT_TRUE(first.tellFailure);
    EXPECT_FALSE(dictionary.writeBackAnswers().tellFailure);
    EXPECT_FALSE(dictionary.writeBackBeforeLeaving().done());

    dictionary.saveElsewhere(path("b.slv"));
    EXPECT_EQ(dictionary.path(), path("b.slv"));
    answerWrongly(2);
    EXPECT_TRUE(dictionary.writeBackAnswers().done());
    EXPECT_TRUE(ReadBytes(path("b.slv")).contains(" @    1,    0,    1,    0\r\n"));
    EXPECT_TRUE(ReadBytes(path("b.slv")).endsWith(" @    1,    0,    1,    0\r\n"));
    EXPECT_EQ(ReadBytes(path("a.slv")), "jen poznamky\r\n");
    EXPECT_EQ(CurrentDictionary().open(path("b.slv"), Sharing::RespectOtherCopies).status,
              Status::HeldElsewhere);
}

TEST_F(CurrentDictionaryTest, TheEditorsFileIsSetAsideAfterItsAnswersAndGivenBack)
{
    dictionary.open(path("a.slv"), Sharing::RespectOtherCopies);
    answerWrongly(1);
    EXPECT_TRUE(dictionary.setAsideFor(path("b.slv")).isEmpty()) << "another file";
    EXPECT_EQ(dictionary.path(), path("a.slv"));

    const QString aside = dictionary.setAsideFor(path("a.slv"));
    EXPECT_EQ(aside, path("a.slv"));
    EXPECT_TRUE(dictionary.path().isEmpty());
    EXPECT_TRUE(ReadBytes(path("a.slv")).contains(" @    1,    0,    1,    0\r\n"));
    // The editor writes the file; nothing of the drill is written over it.
    WriteBytes(path("a.slv"), "novy / neu\r\n");
    answerWrongly(1);
    dictionary.writeBackAnswers();
    EXPECT_EQ(ReadBytes(path("a.slv")), "novy / neu\r\n");

    dictionary.takeBack(aside);
    EXPECT_EQ(dictionary.path(), path("a.slv"));
}

TEST_F(CurrentDictionaryTest, AnImportKeepsItsSourceAndTheAnswersOfTheFileItReplaces)
{
    dictionary.open(path("a.slv"), Sharing::RespectOtherCopies);
    answerWrongly(1);
    WriteBytes(path("words.tsv"), "pes\tr Hund\nokno\ts Fenster\n");
    const Vocabulary imported
        = DictionaryFromImport(ImportVocabulary(ReadBytes(path("words.tsv"))));
    EXPECT_THROW(dictionary.importInto(path("words.tsv"), path("words.tsv"), imported), FileError);
    EXPECT_EQ(ReadBytes(path("words.tsv")), "pes\tr Hund\nokno\ts Fenster\n");

    EXPECT_EQ(dictionary.importInto(path("words.tsv"), path("a.slv"), imported), 2);
    dictionary.open(path("a.slv"), Sharing::RespectOtherCopies);
    EXPECT_EQ(dictionary.vocabulary().count(), 2);
    EXPECT_EQ(dictionary.vocabulary().at(1).offers[1], 0)
        << "the replaced file's answers are not added to the imported pairs";
}

TEST_F(CurrentDictionaryTest, APairWhoseLineCannotHoldAnswersIsToldOnce)
{
    WriteBytes(path("a.slv"), "pes / dog @ u Novaku\r\nkocka / cat\r\n");
    dictionary.open(path("a.slv"), Sharing::RespectOtherCopies);
    answerWrongly(1);
    EXPECT_EQ(dictionary.writeBackAnswers().unstoredPairs,
              QStringList{QStringLiteral("pes / dog")});
    answerWrongly(1);
    answerWrongly(2);
    EXPECT_TRUE(dictionary.writeBackAnswers().unstoredPairs.isEmpty());
    EXPECT_TRUE(ReadBytes(path("a.slv")).startsWith("pes / dog @ u Novaku\r\n"));
}

// Another program changed the file before an operation that writes the answers back first:
// the merge moves the drill's pairs and is told, whichever operation it came with.
TEST_F(CurrentDictionaryTest, EveryWriteBackFollowsAMergeAndTellsIt)
{
    using Operation = std::function<void()>;
    const std::pair<const char *, Operation> operations[] = {
        {"set aside for the editor",
         [this] {
             dictionary.setAsideFor(path("a.slv"));
         }},
        {"languages stored",
         [this] {
             dictionary.storeLanguages({});
         }},
        {"another file opened",
         [this] {
             WriteBytes(path("b.slv"), "okno / s Fenster\r\n");
             dictionary.open(path("b.slv"), Sharing::RespectOtherCopies);
         }},
    };
    for (const auto &[name, operation] : operations) {
        SCOPED_TRACE(name);
        WriteBytes(path("a.slv"), "pes / r Hund\r\nkocka / e Katze\r\n");
        dictionary.open(path("a.slv"), Sharing::RespectOtherCopies);
        answerWrongly(2);
        WriteBytes(path("a.slv"), "novy / neu\r\npes / r Hund\r\nkocka / e Katze\r\n");
        QSignalSpy moved(&dictionary, &CurrentDictionary::pairsMoved);
        QSignalSpy told(&dictionary, &CurrentDictionary::writtenBack);
        try {
            operation();
        } catch (const FileError &) {
        }
        ASSERT_EQ(moved.count(), 1);
        EXPECT_EQ(moved.first().first().value<QList<int>>(), (QList<int>{2, 3}));
        ASSERT_EQ(told.count(), 1);
        EXPECT_TRUE(told.first().first().value<DictionaryResult>().tellMerge);
        const QByteArray written = ReadBytes(path("a.slv"));
        EXPECT_TRUE(written.contains(" @    1,    0,    1,    0\r\n")) << written.constData();
        EXPECT_TRUE(written.startsWith("novy")) << "merged into the file as it is now";
    }
}

// The write journal's folder cannot be written: the dictionary is saved all the same, and
// that the journal is off is news once.
TEST_F(CurrentDictionaryTest, AJournalThatCannotBeKeptKeepsNoAnswerFromTheFile)
{
    WriteBytes(path("journal"), "a file where the journal's folder should be");
    dictionary.setJournalFolder(path("journal"));
    dictionary.open(path("a.slv"), Sharing::RespectOtherCopies);
    for (const bool news : {true, false}) {
        answerWrongly(1);
        const DictionaryResult result = dictionary.writeBackAnswers();
        EXPECT_TRUE(result.done());
        EXPECT_EQ(!result.journalUnkept.isEmpty(), news);
    }
    EXPECT_TRUE(
        ReadBytes(path("a.slv")).split('\n').value(0).endsWith(" @    2,    0,    2,    0\r"));
}

} // namespace
