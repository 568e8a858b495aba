#include "app/app_context.h"
#include "app/application.h"
#include "drill/drill_window.h"
#include "sync/answer_log.h"
#include "sync/log_transfer.h"
#include "history/progress_window.h"
#include "settings/settings_dialog.h"
#include "settings/sync_folder_dialog.h"
#include "syncthing_instance.h"
#include "core/text_file.h"
#include "test_support.h"
#include "vocabulary/dictionary_chooser.h"
#include "vocabulary/dictionary_editor.h"
#include "vocabulary/vocabulary_file.h"
#include "window_support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const char Lesson[] = "pes / der Hund\r\nkočka / die Katze\r\n";

// The program with the dictionary, drilled by the schedule, and the synchronised folder.
void StartSynced(RunningProgram &computer, const QString &dictionary, const QString &folder)
{
    computer.startNaming(dictionary,
                         ("Cetnost=3\r\nSyncSlozka=" + folder.toUtf8() + "\r\n").constData());
}

QString ComputerIdOf(RunningProgram &computer)
{
    return QString::fromLatin1(
        ReadBytes(computer.path(QStringLiteral("data/computer-id"))).trimmed());
}

QString HistoryOf(RunningProgram &computer)
{
    return computer.path(QStringLiteral("data/history.sqlite"));
}

// The cards of a history, in an order, for two histories to be compared.
QString CardsOf(RunningProgram &computer)
{
    return queryValue(HistoryOf(computer),
                      QStringLiteral("SELECT group_concat(side1 || direction || stability ||"
                                     " difficulty || due_ms, ';') FROM (SELECT * FROM cards"
                                     " ORDER BY side1, direction)"))
        .toString();
}

// Offers and errors of a dictionary's pairs, as its file holds them; none while there is no
// file (a sync tool renames one into place).
std::pair<int, int> Counted(const QString &dictionary)
{
    if (!QFile::exists(dictionary))
        return {-1, -1};
    const Vocabulary vocabulary = ParseVocabularyFile(ReadBytes(dictionary), dictionary);
    int offers = 0;
    int errors = 0;
    for (const VocabularyEntry &entry : vocabulary.entries) {
        offers += entry.offers[1] + entry.offers[2];
        errors += entry.errors[1] + entry.errors[2];
    }
    return {offers, errors};
}

// What the drill window's news line says now.
QString News(RunningProgram &computer)
{
    auto *line = computer.form().findChild<QLabel *>(QStringLiteral("News"));
    return line ? line->text() : QString();
}

// Two computers of one user, each the program with its own data folder, and the folder a sync
// tool shares between them (here one folder, used by one computer at a time).
class SyncedProgramTest : public testing::Test
{
protected:
    QString shared(const QString &name) const { return QDir(m_shared.path()).filePath(name); }
    QString lesson() const { return shared(QStringLiteral("lekce.slv")); }
    void SetUp() override { ASSERT_EQ(SyncFolderProblem(m_shared.path()), QString()); }
    std::pair<int, int> counted() const { return Counted(lesson()); }

    // The file as a sync tool brings it a while after it was written elsewhere: it comes now.
    void bringLate(const QByteArray &bytes)
    {
        WriteBytes(lesson(), bytes);
        SetWrittenBefore(lesson(), 3600);
    }

    void start(RunningProgram &computer)
    {
        StartSynced(computer, lesson(), m_shared.path());
        ASSERT_TRUE(WaitFor([&] { return !ComputerIdOf(computer).isEmpty(); }))
            << "the sync starts after the first paint";
        // The lesson comes into the synchronised folder with its counters (by whichever
        // computer opens it first) before the user answers.
        ASSERT_TRUE(WaitFor([&] {
            for (const QString &log : QDir(shared(QStringLiteral("merko/odpovedi")))
                                          .entryList({QStringLiteral("*.log")})) {
                if (!ReadAnswerLogFile(shared(QStringLiteral("merko/odpovedi/") + log), 0, 0)
                         .settings.isEmpty())
                    return true;
            }
            return false;
        }));
    }

    // The lesson, put in place long before, answered wrongly once at home and then, from the
    // same file (the school had not seen the home's answer), `schoolAnswers` times at school.
    // The home's version.
    QByteArray answerOnBoth(RunningProgram &home, int schoolAnswers)
    {
        const QByteArray original = Cp1250(Lesson);
        PutInFolder(m_shared.path(), QStringLiteral("lekce.slv"), original);
        start(home);
        home.answer(QStringLiteral("x"));
        home.stop();
        const QByteArray homeVersion = ReadBytes(lesson());
        // The school has seen neither the home's file nor its log.
        const QString homeLog = shared(QStringLiteral("merko/odpovedi/") + ComputerIdOf(home)
                                       + QStringLiteral(".log"));
        const QByteArray homeRecords = ReadBytes(homeLog);
        QFile::remove(homeLog);
        WriteBytes(lesson(), original);
        RunningProgram school;
        start(school);
        for (int i = 0; i < schoolAnswers; ++i)
            school.answer(QStringLiteral("x"));
        school.stop();
        WriteBytes(homeLog, homeRecords);
        return homeVersion;
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
    home.answer(QStringLiteral("x"));
    EXPECT_FALSE(QFile::exists(shared(QStringLiteral(".lekce.slv.lock"))))
        << "no lock for the sync tool to carry to the other computer";
    const QString homeId = ComputerIdOf(home);
    home.stop();
    const QString homeLog = shared(QStringLiteral("merko/odpovedi/") + homeId + ".log");
    EXPECT_EQ(ReadAnswerLogFile(homeLog, 0, 0).answers.size(), 1) << "the last sync at exit";

    RunningProgram school;
    start(school);
    EXPECT_TRUE(WaitFor([&] { return CardsOf(school) == CardsOf(home); }))
        << CardsOf(school).toStdString();
    EXPECT_EQ(counted(), std::make_pair(1, 1));

    school.answer(QStringLiteral("x"));
    QString figures;
    school.whenOpen<ProgressWindow>([&](ProgressWindow &window) {
        figures = child<QLabel>(window, "ProgressFigures")->text();
        window.close();
    });
    child<QAction>(school.form(), "Pokrok1")->trigger();
    EXPECT_TRUE(figures.contains(QStringLiteral("   ·   z\u00A0počítačů:\u00A02")))
        << figures.toStdString();
}

// Both computers answered on the lesson before they met: the sync tool keeps the other
// version as a conflict copy, whose pairs the program takes in (the counters follow from the
// logs, each answer once), and removes; the news line says so, and no box takes a key.
TEST_F(SyncedProgramTest, AConflictCopyIsTakenInByItsPairs)
{
    RunningProgram home;
    QByteArray homeVersion = answerOnBoth(home, 2);
    EXPECT_EQ(counted(), std::make_pair(2, 2));

    // The sync tool brought the school's file and kept the home's as a conflict copy, to which
    // the home's user had added a pair by hand.
    const QString copy = shared(QStringLiteral("lekce (conflicted copy 2026-12-07 101500).slv"));
    WriteBytes(copy, homeVersion + Cp1250("dům / das Haus\r\n"));
    start(home);
    EXPECT_TRUE(WaitFor([&] { return !QFile::exists(copy); })) << "merged and removed";
    EXPECT_TRUE(WaitFor([&] { return counted() == std::make_pair(3, 3); }))
        << "all answers, each once: " << counted().first;
    EXPECT_TRUE(ReadBytes(lesson()).contains(Cp1250("dům")));
    EXPECT_TRUE(News(home).contains(QStringLiteral("přidaných dvojic 1")))
        << News(home).toStdString();
    EXPECT_EQ(home.prompts.texts(QStringLiteral("notice")), QStringList()) << "no box";
    home.stop();
}

// Both computers gave the same answer on the lesson before they met, and wrote the same bytes:
// the sync tool sees nothing to keep apart, and the counters, which follow from both logs,
// hold both answers.
TEST_F(SyncedProgramTest, TwoComputersThatWroteTheSameBytesCountBothAnswers)
{
    RunningProgram home;
    const QByteArray homeVersion = answerOnBoth(home, 1);
    ASSERT_EQ(ReadBytes(lesson()), homeVersion) << "the same bytes";

    start(home);
    EXPECT_TRUE(WaitFor([&] { return counted() == std::make_pair(2, 2); }))
        << counted().first << " offers";
    home.stop();

    RunningProgram school;
    start(school);
    EXPECT_TRUE(WaitFor([&] { return CardsOf(school) == CardsOf(home); }));
    QTest::qWait(500);
    EXPECT_EQ(counted(), std::make_pair(2, 2));
    EXPECT_TRUE(school.prompts.texts(QStringLiteral("notice")).isEmpty());
    school.stop();
}

// A backup of the lesson put back after more answers: its pairs are taken, its counters come
// from the logs (no answer lost), and the user is told once why they differ from the file's.
TEST_F(SyncedProgramTest, ABackupPutBackLosesNoAnswer)
{
    PutInFolder(m_shared.path(), QStringLiteral("lekce.slv"), Cp1250(Lesson));
    RunningProgram home;
    start(home);
    for (int i = 0; i < 3; ++i)
        home.answer(QStringLiteral("x"));
    const QByteArray backup = ReadBytes(lesson());
    home.answer(QStringLiteral("x"));
    home.answer(QStringLiteral("x"));
    home.stop();
    EXPECT_EQ(counted(), std::make_pair(5, 5));
    WriteBytes(lesson(), backup);
    start(home);
    EXPECT_TRUE(WaitFor([&] { return counted() == std::make_pair(5, 5); })) << counted().first;
    EXPECT_TRUE(WaitFor([&] { return News(home).contains(U("se lišily")); }))
        << News(home).toStdString();
    home.stop();
}

// The editor renames both pairs of the lesson: their counters go with the new texts, also on
// the other computer, where they follow from the log.
TEST_F(SyncedProgramTest, PairsRenamedInTheEditorKeepTheirCounters)
{
    PutInFolder(m_shared.path(), QStringLiteral("lekce.slv"), Cp1250(Lesson));
    RunningProgram home;
    start(home);
    home.answer(QStringLiteral("x"));
    home.answer(QStringLiteral("x"));
    home.prompts.saveNames = {lesson()};
    home.whenOpen<DictionaryChooser>([&](DictionaryChooser &chooser) {
        chooser.openDirectory(m_shared.path());
        auto *list = child<QListWidget>(chooser, "ListBox1");
        const auto found = list->findItems(QStringLiteral("lekce.slv"), Qt::MatchStartsWith);
        ASSERT_FALSE(found.isEmpty());
        list->setCurrentItem(found.first());
        chooser.chooseCurrentFile();
    });
    home.whenOpen<DictionaryEditor>([](DictionaryEditor &editor) {
        QTableWidget *grid = child<QTableWidget>(editor, "StringGrid1");
        for (int row = 0; row < 2; ++row)
            grid->item(row, 1)->setText(grid->item(row, 1)->text() + QStringLiteral(", -e"));
        child<QPushButton>(editor, "Button1")->click();
        editor.reject();
    });
    child<QAction>(home.form(), "Vbr1")->trigger();
    home.answer(QStringLiteral("x"));
    home.stop();
    EXPECT_TRUE(ReadBytes(lesson()).contains("der Hund, -e"));
    EXPECT_EQ(counted(), std::make_pair(3, 3)) << "the renamed pairs' counters and the answer";
    if (counted() != std::make_pair(3, 3)) { // DEBUG
        const QString log = shared(QStringLiteral("merko/odpovedi/") + ComputerIdOf(home) + ".log");
        std::cerr << ReadBytes(log).toStdString() << "\nFILE:\n"
                  << ReadBytes(lesson()).toStdString();
    }

    RunningProgram school;
    start(school);
    school.answer(QStringLiteral("x"));
    EXPECT_TRUE(WaitFor([&] { return counted() == std::make_pair(4, 4); })) << counted().first;
    school.stop();
}

// The school took the home's file an hour after it was written but before the home's log: its
// version waits for that log (logged at once, it would hold none of the home's answers, and
// neither would what was made from it). The home, away from the school,
// answered on from its own file, which the sync tool then kept as a conflict copy of the
// school's: the copy holds only the home's last answer beyond the school's file.
TEST_F(SyncedProgramTest, AFileTakenBeforeItsLogStillHoldsItsAnswers)
{
    const QString logs = shared(QStringLiteral("merko/odpovedi/"));
    const auto setAside = [&](RunningProgram &computer) {
        return QFile::rename(logs + ComputerIdOf(computer) + QStringLiteral(".log"),
                             shared(ComputerIdOf(computer) + QStringLiteral(".aside")));
    };
    const auto putBack = [&](RunningProgram &computer) {
        return QFile::rename(shared(ComputerIdOf(computer) + QStringLiteral(".aside")),
                             logs + ComputerIdOf(computer) + QStringLiteral(".log"));
    };
    PutInFolder(m_shared.path(), QStringLiteral("lekce.slv"), Cp1250(Lesson));
    RunningProgram home;
    start(home);
    home.answer(QStringLiteral("x"));
    home.answer(QStringLiteral("x"));
    home.stop();
    const QByteArray homeFile = ReadBytes(lesson());
    ASSERT_TRUE(setAside(home));
    bringLate(homeFile);
    RunningProgram school;
    start(school);
    school.answer(QStringLiteral("x"));
    school.stop();
    const QByteArray schoolFile = ReadBytes(lesson());

    ASSERT_TRUE(setAside(school));
    ASSERT_TRUE(putBack(home));
    WriteBytes(lesson(), homeFile);
    start(home);
    // Right this time, so that the two files differ.
    const QString offered = child<QLineEdit>(home.form(), "Edit1")->text();
    home.answer(offered == QStringLiteral("pes") ? QStringLiteral("der Hund") : U("die Katze"));
    home.stop();

    const QString copy = shared(QStringLiteral("lekce.sync-conflict-20261207-101500-ABCDEFG.slv"));
    ASSERT_TRUE(QFile::rename(lesson(), copy));
    bringLate(schoolFile);
    ASSERT_TRUE(putBack(school));
    start(school);
    EXPECT_TRUE(WaitFor([&] { return !QFile::exists(copy); })) << "merged and removed";
    EXPECT_EQ(counted(), std::make_pair(4, 3)) << "all answers, each once";
    school.stop();
}

// A conflict copy that cannot be read stays where it is, and the user is told once which it is.
TEST_F(SyncedProgramTest, AConflictCopyThatCannotBeReadIsLeftAndNamed)
{
    WriteBytes(lesson(), Cp1250(Lesson));
    RunningProgram home;
    start(home);
    const QString copy = shared(QStringLiteral("lekce.sync-conflict-20261207-101500-ABCDEFG.slv"));
    WriteBytes(copy, QByteArray("pes / der Hund\0\r\n", 17));
    EXPECT_TRUE(WaitFor([&] { return News(home).contains(copy); })) << News(home).toStdString();
    home.answer(QStringLiteral("x"));
    QTest::qWait(500);
    EXPECT_EQ(home.prompts.texts(QStringLiteral("notice")), QStringList()) << "no box";
    EXPECT_TRUE(QFile::exists(copy));
    EXPECT_EQ(counted(), std::make_pair(1, 1));
    home.stop();
}

// The folder is named in the settings, checked, and kept in the settings file at once.
TEST_F(SyncedProgramTest, TheFolderIsNamedInTheSettings)
{
    RunningProgram computer;
    WriteBytes(lesson(), Cp1250(Lesson));
    computer.startNaming(lesson());
    computer.answer(QStringLiteral("x")); // before there is a synchronised folder
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
    EXPECT_TRUE(WaitFor([&] { return !ComputerIdOf(computer).isEmpty(); }));
    const QString log = shared(QStringLiteral("merko/odpovedi/") + ComputerIdOf(computer) + ".log");
    EXPECT_TRUE(WaitFor([&] { return ReadAnswerLogFile(log, 0, 0).answers.size() == 1; }))
        << "the answers this computer had go to its log";
    computer.answer(QStringLiteral("x"));
    EXPECT_TRUE(WaitFor([&] { return ReadAnswerLogFile(log, 0, 0).answers.size() == 2; }))
        << "answers go to the log while the program runs";
    EXPECT_EQ(computer.prompts.texts(QStringLiteral("notice")), QStringList())
        << "the history goes on";
}

// Two copies of the program drill one dictionary, on two computers whose folders two real
// Syncthing instances on the loopback share: both histories and the dictionary hold every
// answer once, and both computers hold the same cards.
TEST(SyncedProgramThroughSyncthing, TwoComputersDrillOneDictionary)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("syncthing")).isEmpty())
        << "syncthing is installed by scripts/install-deps.sh";
    QTemporaryDir root;
    SyncthingInstance first(root.path() + QStringLiteral("/st-home"));
    SyncthingInstance second(root.path() + QStringLiteral("/st-school"));
    ASSERT_TRUE(StartSharing(first, second));
    ASSERT_EQ(SyncFolderProblem(first.folder()), QString());
    ASSERT_EQ(SyncFolderProblem(second.folder()), QString());
    const QString atHome = first.folder() + QStringLiteral("/lekce.slv");
    const QString atSchool = second.folder() + QStringLiteral("/lekce.slv");
    const auto synced = [&] {
        return WaitFor(
            [&] {
                // A sync tool may move a file aside for a moment while it puts another in place.
                const auto content = [](const QString &path) {
                    QFile file(path);
                    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
                };
                const QByteArray home = content(atHome);
                return !home.isEmpty() && home == content(atSchool);
            },
            90000);
    };
    const auto logs = [](const SyncthingInstance &instance) {
        return QDir(instance.folder() + QStringLiteral("/merko/odpovedi"))
            .entryList({QStringLiteral("*.log")}, QDir::Files)
            .size();
    };
    WriteBytes(atHome, Cp1250(Lesson));
    ASSERT_TRUE(synced()) << first.log().toStdString() << second.log().toStdString();

    RunningProgram home;
    StartSynced(home, atHome, first.folder());
    ASSERT_TRUE(WaitFor([&] { return !ComputerIdOf(home).isEmpty(); }));
    home.answer(QStringLiteral("x"));
    home.stop();
    ASSERT_TRUE(synced());
    ASSERT_TRUE(WaitFor([&] { return logs(second) == 1; }, 90000));

    RunningProgram school;
    StartSynced(school, atSchool, second.folder());
    EXPECT_TRUE(WaitFor([&] {
        return queryValue(HistoryOf(school), QStringLiteral("SELECT count(*) FROM reviews")) == 1;
    })) << "the home's answer is taken at the start";
    school.answer(QStringLiteral("x"));
    school.stop();
    EXPECT_EQ(Counted(atSchool), std::make_pair(2, 2));
    ASSERT_TRUE(synced());
    ASSERT_TRUE(WaitFor([&] { return logs(first) == 2; }, 90000));

    StartSynced(home, atHome, first.folder());
    EXPECT_TRUE(WaitFor([&] { return CardsOf(home) == CardsOf(school); }, 30000))
        << CardsOf(home).toStdString() << "\n"
        << CardsOf(school).toStdString();
    for (RunningProgram *computer : {&home, &school})
        EXPECT_EQ(queryValue(HistoryOf(*computer), QStringLiteral("SELECT count(*) FROM reviews")),
                  2);
    EXPECT_TRUE(WaitFor([&] { return Counted(atHome) == std::make_pair(2, 2); }))
        << QDir(first.folder()).entryList(QDir::AllEntries | QDir::Hidden).join(' ').toStdString()
        << first.log().toStdString();
    home.stop();
    for (const QString &log : {first.log(), second.log()})
        EXPECT_TRUE(OnLoopbackOnly(log)) << log.toStdString();
}

} // namespace
