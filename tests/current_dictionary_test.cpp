#include "core/file_error.h"
#include "test_support.h"
#include "vocabulary/current_dictionary.h"
#include "vocabulary/exchange.h"
#include "vocabulary/vocabulary_file.h"

#include <QCryptographicHash>

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

// A version's name: the SHA-1 of the file's bytes.
QByteArray sha1(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

DictionaryVersion versionAt(const QSignalSpy &written, qsizetype index)
{
    return written.at(index).at(0).value<DictionaryVersion>();
}

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

// Every version written names its content and the version it was made from; a conflict copy
// merged makes a version of both, with the dictionary's pairs in their places.
TEST_F(CurrentDictionaryTest, VersionsWrittenNameTheirContentAndTheirBases)
{
    QSignalSpy written(&dictionary, &CurrentDictionary::versionWritten);
    QSignalSpy moved(&dictionary, &CurrentDictionary::pairsMoved);
    ASSERT_TRUE(dictionary.open(path("a.slv"), Sharing::RespectOtherCopies).done());
    answerWrongly(2);
    ASSERT_TRUE(dictionary.writeBackAnswers().done());
    EXPECT_TRUE(written.isEmpty()) << "a dictionary that no sync tool shares has no versions";
    EXPECT_TRUE(dictionary.vocabulary().stamp.version.isEmpty());

    // Brought by a sync tool now, an hour after it was written elsewhere.
    SetWrittenBefore(path("a.slv"), 3600);
    const qint64 cameMs = QDateTime::currentMSecsSinceEpoch() - 1000; // as coarse as ctime
    dictionary.setSyncFolder(dir.path(), path("locks"));
    ASSERT_TRUE(dictionary.open(path("a.slv"), Sharing::RespectOtherCopies).done());
    const QByteArray read = dictionary.vocabulary().stamp.version;
    EXPECT_EQ(read, sha1(ReadBytes(path("a.slv"))));
    answerWrongly(1);
    ASSERT_TRUE(dictionary.writeBackAnswers().done());
    ASSERT_EQ(written.size(), 1);
    const QByteArray answered = sha1(ReadBytes(path("a.slv")));
    EXPECT_EQ(versionAt(written, 0).hash, answered);
    EXPECT_EQ(versionAt(written, 0).bases, QList<QByteArray>{read});
    EXPECT_TRUE(versionAt(written, 0).countsOwnAnswers) << "made from what was written here";
    EXPECT_GE(versionAt(written, 0).baseArrivedMs, cameMs)
        << "a log naming the base is waited for from when it came, not from when it was written";

    Vocabulary copy = ParseVocabularyFile("pes / r Hund\r\nmys / e Maus\r\n", path("kopie.slv"));
    ++copy.entries[0].offers[2];
    const QByteArray copyVersion(40, 'c');
    const auto answersOf = [](const QString &computer, qint64 after, qint64 upTo) {
        EXPECT_EQ(computer, QStringLiteral("home"));
        EXPECT_EQ(after, 0);
        EXPECT_EQ(upTo, 1);
        VocabularyEntry dog;
        dog.side[1] = U("pes");
        dog.side[2] = U("r Hund");
        return QList<CountedAnswer>{{dog, 2, false}};
    };
    const VersionMerge merge = dictionary.mergeConflictCopy(copy, copyVersion, Counts("school:1"),
                                                            Counts("home:1"), answersOf);
    EXPECT_EQ(merge.pairsAdded, 1);
    EXPECT_EQ(merge.answersAdded, 1);
    const Vocabulary merged = ParseVocabularyFile(ReadBytes(path("a.slv")), path("a.slv"));
    ASSERT_EQ(merged.count(), 3);
    EXPECT_EQ(CountersOf(merged.at(1)), (Counters{1, 1, 1, 0})) << "the answer the copy counted";
    EXPECT_EQ(merged.at(3).side[1], U("mys")) << "the pair the copy added, after the others";
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(versionAt(written, 1).bases, (QList<QByteArray>{answered, copyVersion}));
    EXPECT_EQ(versionAt(written, 1).counted, Counts("home:1,school:1"))
        << "a merge counts what both versions had";
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved.at(0).at(0).value<QList<int>>(), (QList<int>{1, 2})) << "nothing moves";
    EXPECT_FALSE(dictionary.vocabulary().hasUnsavedAnswers());

    // Another program wrote the file meanwhile: nothing is merged, nothing written.
    WriteBytes(path("a.slv"), "jiny / anderer\r\n");
    const struct
    {
        Vocabulary copy;
        QByteArray version;
        const char *then;
    } meanwhile[] = {
        {copy, copyVersion, "kopie se sloučí příště."},
        {Vocabulary(), QByteArray(), "odpovědi se doplní příště."}, // the answers it owes
    };
    for (const auto &c : meanwhile) {
        try {
            dictionary.mergeConflictCopy(c.copy, c.version, {}, Counts("home:1"), answersOf);
            ADD_FAILURE() << c.then;
        } catch (const FileError &error) {
            EXPECT_TRUE(error.message().endsWith(U(c.then))) << error.message().toStdString();
        }
    }
    EXPECT_EQ(ReadBytes(path("a.slv")), "jiny / anderer\r\n");
    EXPECT_EQ(dictionary.vocabulary().count(), 3);

    // An answer written into the other writer's version: made from that one, not from ours.
    answerWrongly(1);
    ASSERT_TRUE(dictionary.writeBackAnswers().done());
    ASSERT_EQ(written.size(), 3);
    EXPECT_EQ(versionAt(written, 2).bases, QList<QByteArray>{sha1("jiny / anderer\r\n")});
    EXPECT_TRUE(versionAt(written, 2).countsOwnAnswers) << "it holds the answer given here";
    EXPECT_FALSE(versionAt(written, 2).counted);
}

// The folder named while the dictionary in it is open: the first version written is made from
// the file as it is then, not from nothing.
TEST_F(CurrentDictionaryTest, AFolderNamedWhileOpenMakesTheFileAVersion)
{
    QSignalSpy written(&dictionary, &CurrentDictionary::versionWritten);
    const QByteArray before = ReadBytes(path("a.slv"));
    ASSERT_TRUE(dictionary.open(path("a.slv"), Sharing::RespectOtherCopies).done());
    answerWrongly(1);
    dictionary.setSyncFolder(dir.path(), path("locks"));
    ASSERT_TRUE(dictionary.writeBackAnswers().done());
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(versionAt(written, 0).bases, QList<QByteArray>{sha1(before)});

    // Written while no folder was named: named again, the file is the version made then.
    dictionary.setSyncFolder(QString(), path("locks"));
    answerWrongly(2);
    ASSERT_TRUE(dictionary.writeBackAnswers().done());
    ASSERT_EQ(written.size(), 1) << "a dictionary that no sync tool shares has no versions";
    const QByteArray unshared = ReadBytes(path("a.slv"));
    dictionary.setSyncFolder(dir.path(), path("locks"));
    answerWrongly(1);
    ASSERT_TRUE(dictionary.writeBackAnswers().done());
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(versionAt(written, 1).bases, QList<QByteArray>{sha1(unshared)});
}

// Once its folder is shared by a sync tool, the open dictionary's lock moves to this computer's
// own folder, and back when it is no longer shared.
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

// Saved elsewhere into the synchronised folder, the dictionary is a version made from nothing,
// and the next write-back is made from it.
TEST_F(CurrentDictionaryTest, SavedElsewhereIntoTheSynchronisedFolderItIsAVersion)
{
    QDir(dir.path()).mkdir(QStringLiteral("shared"));
    dictionary.setSyncFolder(path("shared"), path("locks"));
    QSignalSpy written(&dictionary, &CurrentDictionary::versionWritten);
    ASSERT_TRUE(dictionary.open(path("a.slv"), Sharing::RespectOtherCopies).done());
    answerWrongly(1);
    dictionary.saveElsewhere(path("shared/b.slv"));
    const QByteArray saved = ReadBytes(path("shared/b.slv"));
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(versionAt(written, 0).path, path("shared/b.slv"));
    EXPECT_EQ(versionAt(written, 0).hash, sha1(saved));
    EXPECT_TRUE(versionAt(written, 0).bases.isEmpty());
    EXPECT_FALSE(versionAt(written, 0).countsOwnAnswers)
        << "the answers it holds were given on a.slv";

    answerWrongly(2);
    ASSERT_TRUE(dictionary.writeBackAnswers().done());
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(versionAt(written, 1).bases, QList<QByteArray>{sha1(saved)});
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
    const ImportResult imported = ImportVocabulary(ReadBytes(path("words.tsv")));
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
