#include "sync/folder_sync.h"
#include "syncthing_instance.h"
#include "test_support.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Waits for syncs until the history holds `answers` answers.
bool waitForAnswers(QSignalSpy &synced, ReviewHistory &history, int answers)
{
    for (int round = 0; round < 60 && history.answerCount() < answers; ++round)
        synced.wait(1000);
    return history.answerCount() == answers;
}

// Two computers drill, each with its history, their folders shared by two real Syncthing
// instances on the loopback: each answer reaches the other computer once, and both hold the
// same cards.
TEST(SyncedFolder, TwoComputersShareTheirAnswersThroughSyncthing)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("syncthing")).isEmpty())
        << "syncthing is installed by scripts/install-deps.sh";
    QTemporaryDir root;
    const auto path = [&](const char *name) {
        return QDir(root.path()).filePath(U(name));
    };
    SyncthingInstance first(path("st-a"));
    SyncthingInstance second(path("st-b"));
    ASSERT_TRUE(StartSharing(first, second));
    ASSERT_EQ(SyncFolderProblem(first.folder()), QString());
    ASSERT_EQ(SyncFolderProblem(second.folder()), QString());

    ReviewHistory a(HistoryFilePath(path("a")));
    ReviewHistory b(HistoryFilePath(path("b")));
    ASSERT_TRUE(a.ensureOpen());
    ASSERT_TRUE(b.ensureOpen());
    QString reason;
    FolderSync syncA(a.path(), {first.folder(), ComputerId(path("a"), &reason)}, MemoryModel{});
    FolderSync syncB(b.path(), {second.folder(), ComputerId(path("b"), &reason)}, MemoryModel{});
    QSignalSpy syncedA(&syncA, &FolderSync::synced);
    QSignalSpy syncedB(&syncB, &FolderSync::synced);
    syncA.syncSoon();
    syncB.syncSoon();

    const CardKey dog{{U("pes"), QString(), U("der Hund"), QString()}, 1};
    a.record({1000 * MsPerDay, dog, Grade::Good, U("der Hund"), 900,
              first.folder() + QStringLiteral("/lekce.slv")});
    syncA.syncSoon();
    EXPECT_TRUE(waitForAnswers(syncedB, b, 1))
        << "a's answer reaches b\n"
        << first.log().toStdString() << second.log().toStdString();
    b.record({1002 * MsPerDay, dog, Grade::Again, U("x"), 900,
              second.folder() + QStringLiteral("/lekce.slv")});
    syncB.syncSoon();
    EXPECT_TRUE(waitForAnswers(syncedA, a, 2))
        << "b's answer reaches a\n"
        << first.log().toStdString() << second.log().toStdString();
    EXPECT_EQ(a.cardsOf({dog.pair})->value(dog), b.cardsOf({dog.pair})->value(dog));

    // Neither instance spoke to anything but the loopback.
    for (const QString &log : {first.log(), second.log()})
        EXPECT_TRUE(OnLoopbackOnly(log)) << log.toStdString();
}

} // namespace
