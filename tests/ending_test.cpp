#include "test_support.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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
    bool run(int answers, const char *ending, QProcess::ExitStatus *status)
    {
        QProcess probe;
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

} // namespace
