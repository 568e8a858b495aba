#include "core/file_error.h"
#include "core/write_journal.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Outcome = JournalRecovery::Outcome;

class WriteJournalTest : public testing::Test
{
protected:
    QString path(const char *name) const { return QDir(dir.path()).filePath(QLatin1String(name)); }
    quint64 hashOf(const QString &file) const
    {
        FileStamp stamp;
        ReadFileBytes(file, &stamp);
        return stamp.hash;
    }

    QTemporaryDir dir;
    WriteJournal journal{QDir(dir.path()).filePath(QStringLiteral("journal"))};
    const QByteArray old = "pes / r Hund @    1,    0,    0,    0\r\nkocka / e Katze\r\n";
    const QByteArray fresh = "pes / r Hund @    2,    0,    1,    0\r\nkocka / e Katze\r\n"
                             "okno / s Fenster\r\n";
};

// Where a kill left a write, and what the next start makes of it.
struct KillCase
{
    const char *name;
    bool inPlace;
    bool newFile; // there was no file before the write
    // Puts the dictionary (and what lies beside it) as the kill left it.
    std::function<void(const QString &file, const QByteArray &old, const QByteArray &fresh)> leave;
    Outcome outcome;
    bool fileHoldsTheNewContent;

    // The case's name in test output, instead of its bytes.
    friend void PrintTo(const KillCase &c, std::ostream *out) { *out << c.name; }
};

const KillCase killCases[] = {
    {"beforeTheRename", false, false,
     [](const QString &file, const QByteArray &, const QByteArray &fresh) {
         WriteBytes(file + QStringLiteral(".Ab12Cd"), fresh);
     },
     Outcome::Finished, true},
    {"whileWritingTheTemporaryCopy", false, false,
     [](const QString &file, const QByteArray &, const QByteArray &fresh) {
         WriteBytes(file + QStringLiteral(".x9Y8z7"), fresh.left(10));
     },
     Outcome::Finished, true},
    {"halfWayInPlace", true, false,
     [](const QString &file, const QByteArray &old, const QByteArray &fresh) {
         // The new beginning written over the old content.
         WriteBytes(file, fresh.left(20) + old.mid(20));
     },
     Outcome::Finished, true},
    {"inPlaceThenTheUserEditedItToASizeBetween", true, false,
     [](const QString &file, const QByteArray &old, const QByteArray &) {
         WriteBytes(file, old + "kun / s Pferd\r\n");
     },
     Outcome::SetAside, false},
    {"afterTheRename", false, false,
     [](const QString &file, const QByteArray &, const QByteArray &fresh) {
         WriteBytes(file, fresh);
     },
     Outcome::AlreadyDone, true},
    {"thenAnotherProgramChangedTheFile", false, false,
     [](const QString &file, const QByteArray &, const QByteArray &) {
         WriteBytes(file, "zmeneno / changed\r\n");
     },
     Outcome::SetAside, false},
    {"aNewFileBeforeTheRename", false, true,
     [](const QString &file, const QByteArray &, const QByteArray &fresh) {
         WriteBytes(file + QStringLiteral(".Zz9Yy8"), fresh);
     },
     Outcome::Finished, true},
    {"thenTheFileWasRemoved", false, false,
     [](const QString &file, const QByteArray &, const QByteArray &) { QFile::remove(file); },
     Outcome::SetAside, false},
};

class KilledWriteTest : public WriteJournalTest, public testing::WithParamInterface<KillCase>
{
};

TEST_P(KilledWriteTest, IsFinishedOrKeptAsideAndItsTemporaryCopiesGo)
{
    const KillCase &c = GetParam();
    const QString file = path("lekce.slv");
    WriteBytes(path("lekce.slv.backup"), "the user's own copy\r\n");
    if (c.newFile) {
        journal.begin(file, fresh, 0, -1, c.inPlace);
    } else {
        WriteBytes(file, old);
        journal.begin(file, fresh, hashOf(file), old.size(), c.inPlace);
    }
    c.leave(file, old, fresh);

    const QStringList pending = journal.pending();
    ASSERT_EQ(pending.size(), 1);
    const JournalRecovery recovery = journal.recover(pending.first());
    EXPECT_EQ(recovery.outcome, c.outcome);
    EXPECT_EQ(recovery.path, file);
    EXPECT_EQ(QFile::exists(file) && ReadBytes(file) == fresh, c.fileHoldsTheNewContent);
    if (c.outcome == Outcome::SetAside)
        EXPECT_EQ(ReadBytes(recovery.setAsidePath), fresh) << "nothing is lost";
    EXPECT_TRUE(journal.pending().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("lekce.slv.*")}, QDir::Files),
              QStringList{QStringLiteral("lekce.slv.backup")})
        << "the program's own copies are gone, the user's stay";
}

INSTANTIATE_TEST_SUITE_P(Kills, KilledWriteTest, testing::ValuesIn(killCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(WriteJournalTest, AWriteKeepsNothingOnceItEndsOrFails)
{
    const QString file = path("lekce.slv");
    WriteBytes(file, old);
    journal.write(file, fresh, hashOf(file));
    EXPECT_EQ(ReadBytes(file), fresh);
    EXPECT_TRUE(journal.pending().isEmpty());
    // A failed write leaves the answers in memory, for the user to decide on: nothing waits.
    EXPECT_THROW(journal.write(path("chybi/lekce.slv"), fresh, 0), FileError);
    EXPECT_TRUE(journal.pending().isEmpty());
}

// A kill while the entry itself was written: its file was not touched yet, the entry goes.
TEST_F(WriteJournalTest, AnEntryCutShortIsGivenUpAndTheFileLeftAlone)
{
    const QString file = path("lekce.slv");
    WriteBytes(file, old);
    journal.begin(file, fresh, hashOf(file), old.size(), false);
    const QString entry = journal.pending().first();
    const QByteArray whole = ReadBytes(entry);
    WriteBytes(entry, whole.left(whole.size() - 5));
    EXPECT_TRUE(journal.recover(entry).path.isEmpty());
    EXPECT_EQ(ReadBytes(file), old);
    EXPECT_TRUE(journal.pending().isEmpty());
}

// A file in a folder the user may not write is written in place; a disk that fills up then
// leaves the old file whole, and nothing waits in the journal.
TEST_F(WriteJournalTest, AFullDiskDuringAWriteInPlaceLeavesTheOldFileWhole)
{
    const QString folder = path("class");
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const int code = InChild([&] {
        if (!MountTinyDisk(folder))
            return 77;
        const QString file = QDir(folder).filePath(QStringLiteral("lekce.slv"));
        WriteBytes(file, old);
        ::chmod(QFile::encodeName(file).constData(), 0666);
        ::chmod(QFile::encodeName(folder).constData(), 0555);
        if (geteuid() == 0 && setuid(65534) != 0)
            return 77;
        if (QFile(QDir(folder).filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly))
            return 77; // the folder is writable after all
        const WriteJournal own(
            QDir(QDir::tempPath()).filePath(QStringLiteral("merko-journal-test-%1").arg(getpid())));
        QByteArray big;
        while (big.size() < 64 * 1024)
            big += fresh;
        try {
            own.write(file, big, 0);
        } catch (const FileError &) {
            const bool whole = ReadBytes(file) == old;
            const bool nothingWaits = own.pending().isEmpty();
            QDir(own.folder()).removeRecursively();
            return whole ? (nothingWaits ? 0 : 4) : 3;
        }
        return 1;
    });
    if (code == 77)
        GTEST_SKIP() << "no mount namespace or no other user here";
    EXPECT_EQ(code, 0) << "1: not reported, 3: the old file was damaged, 4: an entry waits";
}

} // namespace
