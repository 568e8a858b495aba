#include "app/app_context.h"
#include "app/application.h"
#include "drill/drill_window.h"
#include "history/answer_log.h"
#include "history/progress_window.h"
#include "settings/settings_dialog.h"
#include "settings/sync_folder_dialog.h"
#include "test_support.h"
#include "vocabulary/vocabulary_file.h"
#include "window_support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const char Lesson[] = "pes / der Hund\r\nkočka / die Katze\r\n";

// Two computers of one user, each the program with its own data folder, and the folder a sync
// tool shares between them (here one folder, used by one computer at a time).
class SyncedProgramTest : public testing::Test
{
protected:
    QString shared(const QString &name) const { return QDir(m_shared.path()).filePath(name); }
    QString lesson() const { return shared(QStringLiteral("lekce.slv")); }

    void start(RunningProgram &computer)
    {
        computer.startNaming(
            lesson(), ("Cetnost=3\r\nSyncSlozka=" + m_shared.path().toUtf8() + "\r\n").constData());
        ASSERT_TRUE(waitFor([&] { return !computerId(computer).isEmpty(); }))
            << "the exchange starts after the first paint";
    }
    static QString computerId(RunningProgram &computer)
    {
        return QString::fromLatin1(
            ReadBytes(computer.path(QStringLiteral("data/computer-id"))).trimmed());
    }
    // A wrong answer to whatever is offered, and on to the next pair.
    static void answerWrongly(RunningProgram &computer)
    {
        auto *field = child<QLineEdit>(computer.form(), "Edit2");
        QTest::keyClicks(field, QStringLiteral("x"));
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(child<QPushButton>(computer.form(), "Button1"), Qt::Key_Return);
    }
    static bool waitFor(const std::function<bool()> &condition)
    {
        for (int round = 0; round < 200 && !condition(); ++round)
            QTest::qWait(50);
        return condition();
    }
    static QString history(RunningProgram &computer)
    {
        return computer.path(QStringLiteral("data/history.sqlite"));
    }
    // Offers and errors of the lesson's pairs, as its file holds them.
    std::pair<int, int> counted() const
    {
        const Vocabulary vocabulary = ParseVocabularyFile(ReadBytes(lesson()), lesson());
        int offers = 0;
        int errors = 0;
        for (const VocabularyEntry &entry : vocabulary.entries) {
            offers += entry.offers[1] + entry.offers[2];
            errors += entry.errors[1] + entry.errors[2];
        }
        return {offers, errors};
    }

    QTemporaryDir m_shared;
};

// What one computer answers reaches its log when the program ends, and the other computer
// takes it at its start: both hold the same cards, and the progress figures name two
// computers once both answered.
TEST_F(SyncedProgramTest, AnswersGoFromOneComputerToTheOther)
{
    WriteBytes(lesson(), Cp1250(Lesson));
    RunningProgram home;
    start(home);
    answerWrongly(home);
    EXPECT_FALSE(QFile::exists(shared(QStringLiteral(".lekce.slv.lock"))))
        << "no lock for the sync tool to carry to the other computer";
    const QString homeId = computerId(home);
    home.stop();
    const QString homeLog = shared(QStringLiteral("merko/odpovedi/") + homeId + ".log");
    EXPECT_EQ(ReadAnswerLogFile(homeLog, 0, 0).answers.size(), 1) << "the last exchange at exit";

    RunningProgram school;
    start(school);
    const QString cards = QStringLiteral(
        "SELECT group_concat(side1 || direction || stability || difficulty || due_ms, ';')"
        " FROM (SELECT * FROM cards ORDER BY side1, direction)");
    EXPECT_TRUE(waitFor([&] {
        return queryValue(history(school), cards) == queryValue(history(home), cards);
    })) << queryValue(history(school), cards).toString().toStdString();
    EXPECT_EQ(counted(), std::make_pair(1, 1));

    answerWrongly(school);
    QString figures;
    school.whenOpen<ProgressWindow>([&](ProgressWindow &window) {
        figures = child<QLabel>(window, "ProgressFigures")->text();
        window.close();
    });
    child<QAction>(school.form(), "Pokrok1")->trigger();
    EXPECT_TRUE(figures.contains(QStringLiteral("z počítačů: 2"))) << figures.toStdString();
}

// Both computers answered on the lesson before they met: the sync tool keeps the other
// version as a conflict copy, which the program merges, each answer counted once, and removes.
TEST_F(SyncedProgramTest, AConflictCopyIsMergedOnceItsAnswersAreKnown)
{
    const QByteArray original = Cp1250(Lesson);
    WriteBytes(lesson(), original);
    RunningProgram home;
    start(home);
    answerWrongly(home);
    home.stop();
    const QByteArray homeVersion = ReadBytes(lesson());

    WriteBytes(lesson(), original); // the school's computer had not seen the home's answer
    {
        RunningProgram school;
        start(school);
        answerWrongly(school);
        school.stop();
    }
    EXPECT_EQ(counted(), std::make_pair(1, 1));
    const QString copy = shared(QStringLiteral("lekce.sync-conflict-20261207-101500-ABCDEFG.slv"));
    WriteBytes(copy, homeVersion);

    start(home);
    EXPECT_TRUE(waitFor([&] { return !QFile::exists(copy); })) << "merged and removed";
    EXPECT_EQ(counted(), std::make_pair(2, 2)) << "both answers, each once";
    ASSERT_EQ(home.prompts.texts(QStringLiteral("notice")).size(), 1);
    EXPECT_TRUE(home.prompts.texts(QStringLiteral("notice"))
                    .first()
                    .contains(QStringLiteral("doplněných odpovědí 1")));
    home.stop();
}

// The folder is named in the settings, checked, and kept in the settings file at once.
TEST_F(SyncedProgramTest, TheFolderIsNamedInTheSettings)
{
    RunningProgram computer;
    WriteBytes(lesson(), Cp1250(Lesson));
    computer.startNaming(lesson());
    const auto name = [&](const QString &folder) {
        computer.whenOpen<SettingsDialog>([&](SettingsDialog &settings) {
            computer.whenOpen<SyncFolderDialog>([&](SyncFolderDialog &dialog) {
                child<QLineEdit>(dialog, "Edit1")->setText(folder);
                child<QPushButton>(dialog, "Button1")->click();
                if (dialog.isVisible())
                    child<QPushButton>(dialog, "Button2")->click();
            });
            child<QPushButton>(settings, "Button3")->click();
            settings.close();
        });
        child<QAction>(computer.form(), "Volby1")->trigger();
    };
    name(shared(QStringLiteral("nikde")));
    EXPECT_EQ(computer.prompts.texts(QStringLiteral("error")),
              QStringList{QStringLiteral("Složka %1 neexistuje.").arg(shared("nikde"))});
    EXPECT_FALSE(ReadBytes(computer.path(QStringLiteral("Merko.ini"))).contains("SyncSlozka"));

    name(m_shared.path());
    EXPECT_TRUE(ReadBytes(computer.path(QStringLiteral("Merko.ini")))
                    .endsWith("SyncSlozka=" + m_shared.path().toUtf8() + "\r\n"));
    EXPECT_TRUE(waitFor([&] { return !computerId(computer).isEmpty(); }));
    answerWrongly(computer);
    const QString log = shared(QStringLiteral("merko/odpovedi/") + computerId(computer) + ".log");
    EXPECT_TRUE(waitFor([&] { return ReadAnswerLogFile(log, 0, 0).answers.size() == 1; }))
        << "answers go to the log while the program runs";
}

} // namespace
