#include "test_support.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// The program ended as the system ends it, after a number of answers typed into it.
class EndingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(dictionary(), Cp1250("*lekce\r\npes / r Hund\r\nkočka / e Katze\r\n"
                                        "okno / s Fenster\r\n"));
        WriteBytes(QDir(folder.path()).filePath(QStringLiteral("Merko.ini")),
                   "[Setup]\r\nSlovnik=" + dictionary().toLocal8Bit() + "\r\n");
    }
    QString dictionary() const { return QDir(folder.path()).filePath(QStringLiteral("lekce.slv")); }

    // Runs the program, types the answers and ends it as asked; true when it said it answered.
    bool run(int answers, const char *ending, QProcess::ExitStatus *status,
             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess probe;
        probe.setProcessEnvironment(environment);
        probe.start(QStringLiteral(MERKO_DRILL_PROBE),
                    {folder.path(), QString::number(answers), QLatin1String(ending)});
        if (!probe.waitForFinished(30000))
            return false;
        *status = probe.exitStatus();
        return probe.readAllStandardOutput().contains("answered");
    }

    int offersInFile() const
    {
        Vocabulary vocabulary;
        ReadVocabularyFile(dictionary(), vocabulary);
        int offers = 0;
        for (const VocabularyEntry &entry : vocabulary.entries)
            offers += entry.offers[1] + entry.offers[2];
        return offers;
    }

    QTemporaryDir folder;
};

TEST_F(EndingTest, KilledAfterAnswersLosesNone)
{
    QProcess::ExitStatus status = QProcess::NormalExit;
    ASSERT_TRUE(run(5, "kill", &status));
    EXPECT_EQ(status, QProcess::CrashExit);
    EXPECT_EQ(offersInFile(), 5);

    // The lock of the killed copy does not stand in the way of the next start.
    ASSERT_TRUE(run(2, "kill", &status));
    EXPECT_EQ(offersInFile(), 7);
}

TEST_F(EndingTest, TerminatedItEndsCleanlyWithEverythingSaved)
{
    QProcess::ExitStatus status = QProcess::CrashExit;
    ASSERT_TRUE(run(3, "term", &status));
    EXPECT_EQ(status, QProcess::NormalExit);
    EXPECT_EQ(offersInFile(), 3);
    EXPECT_FALSE(QFile::exists(LockFilePath(dictionary()))) << "the lock is given back";
}

// Speech on, and a speech service that takes the connection and never answers (as one whose
// sound output hangs): the program still ends when it is told to.
TEST_F(EndingTest, ASpeechServiceThatNeverAnswersDoesNotKeepTheProgramRunning)
{
    WriteBytes(dictionary(), Cp1250("*čeština-němčina\r\npes / r Hund\r\nkočka / e Katze\r\n"));
    WriteBytes(QDir(folder.path()).filePath(QStringLiteral("Merko.ini")),
               "[Setup]\r\nSlovnik=" + dictionary().toLocal8Bit()
                   + "\r\nVyslovovat=1\r\nVyslovitOdpoved=1\r\n");
    const QByteArray socketPath = QDir(folder.path()).filePath(QStringLiteral("silent")).toUtf8();
    const int silent = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(silent, 0);
    const auto closeSocket = qScopeGuard([silent] { ::close(silent); });
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(std::size_t(socketPath.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.constData(), std::size_t(socketPath.size()));
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 8), 0); // connections wait, never accepted, never answered

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SPEECHD_ADDRESS"),
                       QStringLiteral("unix_socket:") + QString::fromUtf8(socketPath));
    QProcess::ExitStatus status = QProcess::CrashExit;
    ASSERT_TRUE(run(3, "term", &status, environment)) << "the program did not end";
    EXPECT_EQ(status, QProcess::NormalExit);
    EXPECT_EQ(offersInFile(), 3);
}

// Another copy holds the dictionary, so the start asks whether to open it anyway; the system
// ends the program (a logout) while that question is shown: the program ends, as it does at
// any other moment. The program itself, copied here, so that its settings are this test's.
TEST_F(EndingTest, EndedWhileTheStartAsksItEnds)
{
    DictionaryLock otherCopy;
    ASSERT_EQ(otherCopy.lock(dictionary()), DictionaryLock::Result::Locked);
    const QString program = QDir(folder.path()).filePath(QStringLiteral("merko"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(MERKO_EXECUTABLE), program));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), folder.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.path() + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       folder.path() + QStringLiteral("/config"));
    QProcess merko;
    merko.setProcessEnvironment(environment);
    merko.start(program, {dictionary()});
    ASSERT_TRUE(merko.waitForStarted());
    const auto stop = qScopeGuard([&merko] {
        merko.kill();
        merko.waitForFinished();
    });
    // Whether the question is on screen yet or not, the signal is taken by the event loop
    // that shows it.
    QThread::msleep(1000);
    ::kill(pid_t(merko.processId()), SIGTERM);
    EXPECT_TRUE(merko.waitForFinished(10000)) << "still running after the end was asked for";
    EXPECT_EQ(merko.exitStatus(), QProcess::NormalExit);
}

} // namespace
