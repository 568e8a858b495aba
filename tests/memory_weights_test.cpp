#include "app/app_context.h"
#include "app/application.h"
#include "drill/drill_window.h"
#include "history/answer_import.h"
#include "history/memory_fit.h"
#include "settings/settings_dialog.h"
#include "simulated_learner.h"
#include "test_support.h"
#include "window_support.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr qint64 DayZero = 1760000000000; // the simulated learner's first day

// A history of a learner's answers on `cards` cards at `path`.
void writeHistory(const QString &path, int cards)
{
    QDir().mkpath(QFileInfo(path).path());
    ReviewHistory history(path);
    ASSERT_TRUE(history.ensureOpen());
    const ReviewSequences answers = SimulateLearner(ForgetfulLearner(), {cards, 365, 21});
    QString reason;
    ASSERT_TRUE(ImportAnswers(history.database(), AnswersOf(answers, DayZero, U("/d/a.slv")),
                              MemoryModel{}, &reason))
        << reason.toStdString();
}

class MemoryWeightsWindowTest : public testing::Test
{
protected:
    void start(int cards)
    {
        writeHistory(program.path(QStringLiteral("data/history.sqlite")), cards);
        program.start();
        dialog = &program.app().settingsDialog();
        dialog->show();
    }
    QString state() { return child<QLabel>(*dialog, "MemoryWeightsLabel")->text(); }
    void press(const char *button) { child<QPushButton>(*dialog, button)->click(); }
    // Waits until the fit has told its result.
    bool told()
    {
        return QTest::qWaitFor([this] { return !program.prompts.texts("notice").isEmpty(); },
                               20000);
    }
    QString historyPath() { return program.path(QStringLiteral("data/history.sqlite")); }

    RunningProgram program;
    SettingsDialog *dialog = nullptr;
};

// The button fits the weights off the window's thread, shows the figures, keeps better weights
// in the settings file, and the history's cards follow them; the defaults come back as easily.
TEST_F(MemoryWeightsWindowTest, FittedWeightsAreShownKeptAndFollowed)
{
    start(500);
    EXPECT_EQ(state(), U("Parametry paměti: výchozí"));
    EXPECT_FALSE(child<QPushButton>(*dialog, "DefaultWeightsButton")->isEnabled());
    press("OptimiseButton");
    ASSERT_TRUE(told());
    EXPECT_TRUE(
        program.prompts.texts("notice").constFirst().contains(U("předpověď vybavení: chyba ")))
        << program.prompts.texts("notice").constFirst().toStdString();
    ASSERT_TRUE(program.app().context().settings.memoryWeights);
    EXPECT_TRUE(state().startsWith(U("Parametry paměti: vlastní (optimalizováno ")));
    EXPECT_TRUE(ReadBytes(program.path(QStringLiteral("Merko.ini"))).contains("ParametryFSRS="));
    const QString fitted = Fsrs::WeightsText(*program.app().context().settings.memoryWeights);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return queryValue(historyPath(), QStringLiteral("SELECT weights FROM card_weights"))
               == fitted;
    }));

    press("DefaultWeightsButton");
    EXPECT_EQ(state(), U("Parametry paměti: výchozí"));
    EXPECT_FALSE(program.app().context().settings.memoryWeights);
    EXPECT_FALSE(ReadBytes(program.path(QStringLiteral("Merko.ini"))).contains("ParametryFSRS=0"));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return queryValue(historyPath(), QStringLiteral("SELECT weights FROM card_weights"))
               == Fsrs::WeightsText(Fsrs::DefaultWeights);
    }));
}

TEST_F(MemoryWeightsWindowTest, ACancelledFitKeepsTheWeights)
{
    start(3000);
    press("OptimiseButton");
    auto *progress = dialog->findChild<QProgressDialog *>(QStringLiteral("OptimisationProgress"));
    ASSERT_NE(progress, nullptr);
    progress->findChild<QPushButton *>()->click();
    ASSERT_TRUE(told());
    EXPECT_EQ(program.prompts.texts("notice"),
              QStringList{U("Optimalizace byla zrušena; platí dosavadní parametry paměti.")});
    EXPECT_FALSE(program.app().context().settings.memoryWeights);
    EXPECT_EQ(state(), U("Parametry paměti: výchozí"));
}

// Weights the settings file names wrongly are named once; the defaults are in force, and the
// history's cards, fitted to other weights before, follow them at start.
TEST_F(MemoryWeightsWindowTest, WrongWeightsAreNamedAndTheCardsFollowTheDefaults)
{
    writeHistory(historyPath(), 60);
    QString reason;
    MemoryModel fitted;
    fitted.weights = ForgetfulLearner();
    ASSERT_TRUE(ReplayHistoryCards(historyPath(), fitted, &reason));
    program.writeSettings("[Setup]\r\nParametryFSRS=0.2, 1.1, x\r\n");
    program.start();
    const auto *news = program.form().findChild<QLabel *>(QStringLiteral("News"));
    ASSERT_NE(news, nullptr);
    EXPECT_TRUE(news->text().startsWith(U("Klíč ParametryFSRS v souboru Merko.ini nemá 21")));
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return queryValue(historyPath(), QStringLiteral("SELECT weights FROM card_weights"))
               == Fsrs::WeightsText(Fsrs::DefaultWeights);
    }));
    EXPECT_FALSE(program.app().context().settings.memoryWeights);
}

// merko --optimize, without a display, on the history of the user running it.
TEST(OptimiseCommand, FitsTheUsersHistoryOrSaysWhyNot)
{
    struct Row
    {
        const char *name;
        int cards; // 0: no history; -1: a damaged one; -2: one of a later version
        int exitCode;
        const char *says;
    };
    // clang-format off
    const Row rows[] = {
        {"a learner's history", 500, 0, "předpověď vybavení: chyba "},
        {"a few answers",       10,  3, "málo odpovědí"},
        {"no history",          0,   2, "neexistuje"},
        {"a damaged history",   -1,  2, "history.sqlite"},
        {"a later version's",   -2,  2, "novější verze programu"},
    };
    // clang-format on
    for (const Row &row : rows) {
        QTemporaryDir dir;
        // A copy of the program, whose settings are kept beside it.
        const QString program = dir.filePath(QStringLiteral("merko"));
        QFile::copy(QStringLiteral(MERKO_EXECUTABLE), program);
        const QString history
            = dir.filePath(QStringLiteral("home/.local/share/merko/history.sqlite"));
        if (row.cards > 0) {
            writeHistory(history, row.cards);
        } else if (row.cards == -1) {
            QDir().mkpath(QFileInfo(history).path());
            WriteBytes(history, QByteArray(8192, 'x'));
        } else if (row.cards == -2) {
            writeHistory(history, 10);
            queryValue(history, QStringLiteral("PRAGMA user_version = 99"));
        }
        QProcess merko;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        environment.remove(QStringLiteral("XDG_DATA_HOME"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("LANG"), QStringLiteral("cs_CZ.UTF-8"));
        environment.remove(QStringLiteral("LANGUAGE"));
        environment.remove(QStringLiteral("LC_ALL"));
        merko.setProcessEnvironment(environment);
        merko.start(program, {QStringLiteral("--optimize")});
        ASSERT_TRUE(merko.waitForFinished(60000)) << row.name;
        const QString said
            = QString::fromUtf8(merko.readAllStandardOutput() + merko.readAllStandardError());
        EXPECT_EQ(merko.exitCode(), row.exitCode) << row.name << ": " << said.toStdString();
        EXPECT_TRUE(said.contains(QString::fromUtf8(row.says)))
            << row.name << ": " << said.toStdString();
        const QString settingsFile = dir.filePath(QStringLiteral("Merko.ini"));
        const QByteArray settings = QFile::exists(settingsFile) ? ReadBytes(settingsFile) : "";
        EXPECT_EQ(settings.contains("ParametryFSRS="), row.exitCode == 0) << row.name;
        if (row.exitCode == 0) {
            // The cards follow the weights written.
            const QString written = QRegularExpression(QStringLiteral("ParametryFSRS=([^\r\n]*)"))
                                        .match(QString::fromUtf8(settings))
                                        .captured(1);
            EXPECT_EQ(queryValue(history, QStringLiteral("SELECT weights FROM card_weights")),
                      written)
                << row.name;
        }
    }
}

} // namespace
