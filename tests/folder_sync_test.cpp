#include "sync/folder_sync.h"
#include "test_support.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Waits for syncs of a computer until one took answers.
int waitForAnswers(QSignalSpy &synced)
{
    for (int round = 0; round < 20; ++round) {
        if (synced.isEmpty() && !synced.wait(5000))
            return 0;
        const int taken = synced.takeFirst().at(0).toInt();
        if (taken > 0)
            return taken;
    }
    return 0;
}

// Two computers, each its history and its sync on a thread, share a folder: what one
// answers reaches the other when its log appears or grows, without being asked for.
TEST(FolderSync, AnswersReachTheOtherComputerWhenItsLogChanges)
{
    QTemporaryDir root;
    const auto folder = [&](const char *name) {
        return QDir(root.path()).filePath(U(name));
    };
    QDir().mkpath(folder("sync"));
    ASSERT_EQ(SyncFolderProblem(folder("sync")), QString()) << "named as the program names it";
    ReviewHistory a(HistoryFilePath(folder("a")));
    ReviewHistory b(HistoryFilePath(folder("b")));
    ASSERT_TRUE(a.ensureOpen());
    ASSERT_TRUE(b.ensureOpen());
    QString reason;
    FolderSync syncA(a.path(), {folder("sync"), ComputerId(folder("a"), &reason)}, MemoryModel{});
    FolderSync syncB(b.path(), {folder("sync"), ComputerId(folder("b"), &reason)}, MemoryModel{});
    QSignalSpy syncedA(&syncA, &FolderSync::synced);
    QSignalSpy syncedB(&syncB, &FolderSync::synced);
    QSignalSpy troubledB(&syncB, &FolderSync::troubled);
    syncB.syncSoon();
    ASSERT_TRUE(syncedB.wait(5000));
    syncedB.clear();

    const CardKey dog{{U("pes"), QString(), U("der Hund"), QString()}, 1};
    a.record({1000 * MsPerDay, dog, Grade::Good, U("der Hund"), 900, folder("sync/lekce.slv")});
    syncA.syncSoon();
    EXPECT_EQ(waitForAnswers(syncedB), 1) << "the new log is found";
    a.record({1001 * MsPerDay, dog, Grade::Again, U("x"), 900, folder("sync/lekce.slv")});
    syncA.syncSoon();
    EXPECT_EQ(waitForAnswers(syncedB), 1) << "the log that grew is read on";
    EXPECT_EQ(b.answerCount(), 2);
    EXPECT_EQ(b.cardsOf({dog.pair})->value(dog), a.cardsOf({dog.pair})->value(dog));
    EXPECT_TRUE(troubledB.isEmpty());
}

// A history that a later version of the program wrote is never written, however often an
// sync is asked for.
TEST(FolderSync, AHistoryOfAnotherSchemaIsLeftAlone)
{
    QTemporaryDir root;
    const QString data = QDir(root.path()).filePath(QStringLiteral("a"));
    ASSERT_TRUE(ReviewHistory(HistoryFilePath(data)).ensureOpen());
    queryValue(HistoryFilePath(data), QStringLiteral("PRAGMA user_version = 99"));
    const QByteArray before = ReadBytes(HistoryFilePath(data));
    QString reason;
    QDir().mkpath(QDir(root.path()).filePath(QStringLiteral("sync")));
    FolderSync sync(HistoryFilePath(data),
                    {QDir(root.path()).filePath(QStringLiteral("sync")), ComputerId(data, &reason)},
                    MemoryModel{});
    QSignalSpy synced(&sync, &FolderSync::synced);
    for (int round = 0; round < 2; ++round) {
        sync.syncSoon();
        EXPECT_FALSE(synced.wait(1000)) << round;
    }
    EXPECT_EQ(ReadBytes(HistoryFilePath(data)), before);
}

} // namespace
