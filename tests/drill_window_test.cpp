#include "app/app_context.h"
#include "widgets/animated_picture.h"
#include "app/about_box.h"
#include "app/application.h"
#include "core/text_file.h"
#include "core/write_journal.h"
#include "history/review_history.h"
#include "drill/drill_window.h"
#include "settings/settings_dialog.h"
#include "test_support.h"
#include "vocabulary/dictionary_chooser.h"
#include "window_support.h"

#include <QAction>
#include <QMessageBox>
#include <QMovie>
#include <QKeyEvent>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class DrillWindowTest : public testing::Test
{
protected:
    void startWith(const char *dictionary, const char *settings = "")
    {
        program.startWith(dictionary, settings);
    }

    DrillWindow &form() { return program.form(); }
    AppContext &context() { return program.app().context(); }
    QLineEdit *field(const char *name) { return child<QLineEdit>(form(), name); }
    QString text(const char *name) { return field(name)->text(); }
    QPushButton *button1() { return child<QPushButton>(form(), "Button1"); }
    QWidget *picture() { return child<QWidget>(form(), "RxGIFAnimator1"); }
    int gauge() { return child<QProgressBar>(form(), "Gauge2")->value(); }
    QString caption() { return child<QLabel>(form(), "Label11")->text(); }

    void answer(const QString &typed)
    {
        QLineEdit *edit2 = field("Edit2");
        edit2->clear();
        TypeText(edit2, typed);
        QTest::keyClick(edit2, Qt::Key_Return);
    }
    void next() { QTest::keyClick(button1(), Qt::Key_Return); }
    void trigger(const char *action) { child<QAction>(form(), action)->trigger(); }

    RunningProgram program;
};

TEST_F(DrillWindowTest, StartsWithoutSettingsFileEmptyAndSilent)
{
    program.start();
    EXPECT_EQ(caption(), U(" žádný slovník dosud nebyl načten "));
    EXPECT_EQ(form().windowTitle(), U("Zkoušení slovíček:"));
    EXPECT_TRUE(text("Edit1").isEmpty());
    EXPECT_TRUE(text("Edit3").isEmpty());
    EXPECT_TRUE(program.prompts.asked.isEmpty());
    EXPECT_EQ(context().settings, Settings());
    EXPECT_FALSE(child<QGroupBox>(form(), "GroupBox1")->isVisible());
    EXPECT_EQ(child<QGroupBox>(form(), "GroupBox1")->toolTip(), U("zde bude informace o kriteriu"));

    // "další" with nothing loaded: the message, and nothing else changes.
    next();
    EXPECT_EQ(program.prompts.texts("notice"),
              QStringList{U("Soubor slov dosud nebyl načten nebo je prázdný.")});
    EXPECT_EQ(context().drill.state().currentPosition, 0);

    // Enter, F1 and a double click before the first pair do nothing.
    QTest::keyClick(field("Edit2"), Qt::Key_Return);
    QTest::keyClick(field("Edit2"), Qt::Key_F1);
    QTest::mouseDClick(field("Edit2"), Qt::LeftButton);
    EXPECT_EQ(context().drill.state().wrongCount, 0);
    EXPECT_TRUE(text("Edit2").isEmpty());
    EXPECT_EQ(program.prompts.asked.size(), 1);
}

TEST_F(DrillWindowTest, StartsWithTheLastDictionaryAndOffersItsFirstPair)
{
    startWith("*čeština-němčina, lekce 1\r\npes / r Hund\r\n", "PrimJazyk=1\r\n");
    EXPECT_EQ(caption(), U(" čeština-němčina, lekce 1 (slov: 1)"));
    EXPECT_EQ(text("Edit1"), U("r Hund"));
    EXPECT_EQ(context().drill.state().offeredSide, 2);
    EXPECT_EQ(form().focusWidget(), field("Edit2"));
    EXPECT_EQ(form().panelColour(), PanelColour::Silver);
    EXPECT_EQ(context().dictionary.vocabulary().path, program.path(QStringLiteral("lekce.slv")));
    EXPECT_TRUE(program.prompts.asked.isEmpty());
}

// A kill between the temporary copy and its rename left the newest answer beside the file.
TEST_F(DrillWindowTest, AWriteBackAKillCutShortIsFinishedAtTheNextStart)
{
    const QString file = program.path(QStringLiteral("lekce.slv"));
    const QByteArray answered = "pes / r Hund @ 4,0,1,0\r\n";
    WriteBytes(file, "pes / r Hund\r\n");
    FileStamp stamp;
    ReadFileBytes(file, &stamp);
    WriteJournal(program.path(QStringLiteral("data/journal")))
        .begin(file, answered, stamp.hash, 14, false);
    WriteBytes(file + QStringLiteral(".Qw3Er5"), answered);
    program.startNaming(file);
    ASSERT_EQ(program.prompts.texts("notice").size(), 1);
    EXPECT_TRUE(program.prompts.texts("notice").first().contains(U("dokončil")));
    EXPECT_EQ(context().dictionary.vocabulary().at(1).offers[1], 4);
    EXPECT_FALSE(QFile::exists(file + QStringLiteral(".Qw3Er5")));
}

// A run killed after the history got an answer but before the dictionary did: the next start
// adds it to the dictionary, once the window is drawn, and says so.
TEST_F(DrillWindowTest, AnAnswerTheDictionaryMissedIsRestoredAtTheNextStart)
{
    const QString file = program.path(QStringLiteral("lekce.slv"));
    ReviewHistory(program.path(QStringLiteral("data/history.sqlite")))
        .record({0,
                 {{QStringLiteral("pes"), {}, QStringLiteral("r Hund"), {}}, 1},
                 Grade::Again,
                 QStringLiteral("x"),
                 900,
                 file});
    program.startWith("pes / r Hund\r\n");
    ASSERT_EQ(program.prompts.texts("notice").size(), 1);
    EXPECT_TRUE(program.prompts.texts("notice").first().contains(U("doplnil")));
    EXPECT_TRUE(ReadBytes(file).endsWith(" @    1,    0,    1,    0\r\n"));
}

// A drill by the review schedule records every answer in the history of the user's data
// folder, settled once the dictionary holds it.
TEST_F(DrillWindowTest, ADrillByTheScheduleRecordsEachAnswer)
{
    program.startWith("pes / r Hund\r\n", "Cetnost=3\r\n");
    auto *answer = child<QLineEdit>(form(), "Edit2");
    QTest::keyClicks(answer, QStringLiteral("r Hund"));
    QTest::keyClick(answer, Qt::Key_Return);
    QTest::keyClick(child<QPushButton>(form(), "Button1"), Qt::Key_Return);
    QTest::keyClicks(answer, QStringLiteral("x"));
    QTest::keyClick(answer, Qt::Key_Return);
    ReviewHistory history(program.path(QStringLiteral("data/history.sqlite")));
    EXPECT_EQ(history.answerCount(), 2);
    EXPECT_TRUE(history.unsettledAnswers(program.path(QStringLiteral("lekce.slv"))).isEmpty());
    EXPECT_EQ(history.cardsOf({{QStringLiteral("pes"), {}, QStringLiteral("r Hund"), {}}})
                  .value_or(QHash<CardKey, Card>())
                  .value({{QStringLiteral("pes"), {}, QStringLiteral("r Hund"), {}}, 1})
                  .lapses,
              1);
    EXPECT_TRUE(child<QLabel>(form(), "ScheduleCounts")->isVisible());
}

// `merko SOUBOR`: the file named is opened and remembered instead of the last one chosen;
// one that cannot be opened is reported, and the last one chosen opens instead.
TEST_F(DrillWindowTest, AFileNamedOnTheCommandLineIsOpenedInsteadOfTheLastOne)
{
    // clang-format off
    const struct { const char *named; const char *opened; const char *remembered; const char *told; } cases[] = {
        {"druhy.slv", "druhy.slv", "druhy.slv", nullptr},
        {"chybi.slv", "lekce.slv", "lekce.slv", "error"},
        {"slozka", "lekce.slv", "lekce.slv", "error"},
        {"slova.tsv", "slova.slv", "slova.slv", "notice"},
    };
    // clang-format on
    for (const auto &c : cases) {
        RunningProgram run;
        run.writeFile(QStringLiteral("lekce.slv"), "pes / r Hund\r\n");
        run.writeFile(QStringLiteral("druhy.slv"), "*druhý\r\nokno / s Fenster\r\n");
        run.writeFile(QStringLiteral("slova.tsv"), "kocka\tcat\n");
        QDir().mkpath(run.path(QStringLiteral("slozka")));
        run.writeSettings(
            ("[Setup]\r\nSlovnik=" + run.path("lekce.slv").toStdString() + "\r\n").c_str());
        run.prompts.saveNames = {run.path(QStringLiteral("slova.slv"))};
        run.start(QStringLiteral("merko"), run.path(QLatin1String(c.named)));
        AppContext &context = run.app().context();
        EXPECT_EQ(context.dictionary.path(), run.path(QLatin1String(c.opened))) << c.named;
        EXPECT_EQ(context.settings.dictionaryPath, run.path(QLatin1String(c.remembered)))
            << c.named;
        EXPECT_EQ(run.prompts.asked.isEmpty(), c.told == nullptr) << c.named;
        if (c.told)
            EXPECT_EQ(run.prompts.asked.last().kind, QLatin1String(c.told)) << c.named;
        if (c.told && QLatin1String(c.told) == QLatin1String("error"))
            EXPECT_TRUE(run.prompts.asked.last().text.contains(run.path(QLatin1String(c.named))))
                << "the file is named: " << c.named;
    }
}

TEST_F(DrillWindowTest, AMissingLastDictionaryIsNotLoadedAndNotReported)
{
    program.writeSettings("[Setup]\r\nSlovnik=/no/such/lekce.slv\r\n");
    program.start();
    EXPECT_EQ(caption(), U(" žádný slovník dosud nebyl načten "));
    EXPECT_EQ(context().settings.dictionaryPath, U("/no/such/lekce.slv"));
    EXPECT_TRUE(program.prompts.asked.isEmpty());
}

TEST_F(DrillWindowTest, ShowsTheCountersAfterEveryCountedAnswer)
{
    startWith("pes / r Hund\r\n", "Obrazek=1\r\n");
    EXPECT_TRUE(text("Edit3").isEmpty()) << "empty until the first answer is counted";
    answer(QStringLiteral("r Hund"));
    EXPECT_EQ(text("Edit3"), U("     1"));
    EXPECT_EQ(text("Edit6"), U("100.00"));
    EXPECT_FALSE(picture()->isVisible());
    next();
    answer(QStringLiteral("x"));
    next();
    answer(QStringLiteral("r Hund"));
    EXPECT_EQ(text("Edit3"), U("     3"));
    EXPECT_EQ(text("Edit4"), U("     2"));
    EXPECT_EQ(text("Edit5"), U("     1"));
    EXPECT_EQ(text("Edit6"), U(" 66.67"));
    EXPECT_EQ(text("Edit7"), U(" 33.33"));
    EXPECT_EQ(gauge(), 34);
    EXPECT_TRUE(picture()->isVisible());
    EXPECT_EQ(picture()->size(), QSize(65, 65));
}

TEST_F(DrillWindowTest, TheAnswerFieldKeepsNoHistoryOfEarlierAnswers)
{
    startWith("pes / r Hund\r\nkočka / e Katze\r\n");
    for (int i = 0; i < 3; ++i) {
        answer(QStringLiteral("r Hund"));
        next();
    }
    EXPECT_TRUE(text("Edit2").isEmpty());
    EXPECT_FALSE(field("Edit2")->isUndoAvailable()) << "each answer would stay in memory";
}

TEST_F(DrillWindowTest, TheOtherWindowsAreBuiltWhenFirstOpened)
{
    startWith("pes / r Hund\r\n");
    EXPECT_TRUE(form().findChildren<QDialog *>().isEmpty());
    program.whenOpen<AboutBox>([](AboutBox &box) { box.accept(); });
    trigger("Oaplikaci1");
    EXPECT_EQ(form().findChildren<QDialog *>().size(), 1);
}

TEST_F(DrillWindowTest, ResetOfTheDrillCountersShowsZeros)
{
    startWith("pes / r Hund\r\n", "Obrazek=1\r\n");
    answer(QStringLiteral("x"));
    EXPECT_TRUE(picture()->isVisible());
    trigger("Aktuln1");
    EXPECT_EQ(text("Edit3"), U("     0"));
    EXPECT_EQ(text("Edit5"), U("     0"));
    EXPECT_EQ(text("Edit6"), U("  0.00"));
    EXPECT_EQ(text("Edit7"), U("  0.00"));
    EXPECT_EQ(gauge(), 0);
    EXPECT_FALSE(picture()->isVisible());
    EXPECT_EQ(context().dictionary.vocabulary().at(1).errors[1], 1)
        << "the pair keeps its counters";
}

TEST_F(DrillWindowTest, PictureAppearsOnlyWithTheNextCountedAnswerAfterSwitchingItOn)
{
    startWith("pes / r Hund\r\n");
    for (const char *typed : {"r Hund", "r Hund", "r Hund", "r Hund", "x"}) {
        next();
        answer(U(typed));
    }
    EXPECT_FALSE(picture()->isVisible());
    context().settings.showPicture = true; // as the settings window sets it
    EXPECT_FALSE(picture()->isVisible());
    next();
    answer(QStringLiteral("r Hund")); // 5 : 1, an error rate of 16.67 %
    EXPECT_TRUE(picture()->isVisible());
    EXPECT_EQ(picture()->size(), QSize(31, 31));
}

// What the user does in the drill window, step by step.
struct Step
{
    enum Kind { Answer, KeyInAnswer, KeyOnButton, DoubleClick, Next } kind;
    const char *text = nullptr; // the answer typed and entered, or the key's character
    Qt::Key key = Qt::Key_unknown;
};

// One key or click sequence on a fresh drill, and what the window then shows and counts.
struct WiringCase
{
    const char *name;
    const char *dictionary;
    const char *settings;
    QList<Step> steps;
    const char *answerField;
    PanelColour panel;
    bool focusOnButton;
    int wrong;
    int correct;
    bool answerCommentShown;

    friend void PrintTo(const WiringCase &c, std::ostream *out) { *out << c.name; }
};

class DrillWiringTest : public DrillWindowTest, public testing::WithParamInterface<WiringCase>
{
protected:
    void perform(const Step &step)
    {
        switch (step.kind) {
        case Step::Answer:
            answer(U(step.text));
            break;
        case Step::KeyInAnswer:
            QTest::keyClick(field("Edit2"), step.key);
            break;
        case Step::KeyOnButton:
            if (step.text) {
                QKeyEvent typed(QEvent::KeyPress, step.key, Qt::NoModifier, U(step.text));
                QApplication::sendEvent(button1(), &typed);
            } else {
                QTest::keyClick(button1(), step.key);
            }
            break;
        case Step::DoubleClick:
            QTest::mouseDClick(field("Edit2"), Qt::LeftButton);
            break;
        case Step::Next:
            next();
            break;
        }
    }
};

TEST_P(DrillWiringTest, ShowsAndCountsWhatTheSessionSays)
{
    const WiringCase &c = GetParam();
    startWith(c.dictionary, c.settings);
    for (const Step &step : c.steps)
        perform(step);
    EXPECT_EQ(text("Edit2"), U(c.answerField));
    EXPECT_EQ(form().panelColour(), c.panel);
    EXPECT_EQ(form().focusWidget() == button1(), c.focusOnButton);
    EXPECT_EQ(context().drill.state().wrongCount, c.wrong);
    EXPECT_EQ(context().drill.state().correctCount, c.correct);
    EXPECT_EQ(field("Edit12")->isVisible(), c.answerCommentShown);
    EXPECT_EQ(field("Edit12")->isVisible() ? text("Edit12") : QString(),
              c.answerCommentShown ? U("kchalt") : QString());
}

const char *const kalt = "kalt {kchalt} / studen[ý|á|é]\r\n";
const char *const side2 = "PrimJazyk=1\r\n";
const Step f1InAnswer{Step::KeyInAnswer, nullptr, Qt::Key_F1};
const Step enterInAnswer{Step::KeyInAnswer, nullptr, Qt::Key_Return};
const Step f1OnButton{Step::KeyOnButton, nullptr, Qt::Key_F1};
const Step doubleClick{Step::DoubleClick};
const Step nextPair{Step::Next};
Step typed(const char *answer)
{
    return {Step::Answer, answer};
}

using PC = PanelColour;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Keys, DrillWiringTest, testing::Values(
    WiringCase{"F1InTheAnswerCountsWrong", "jemný / zart, fein\r\n", "", {f1InAnswer}, "zart, fein", PC::Magenta, true, 1, 0, false},
    WiringCase{"EnterAfterARevealJudgesNothing", "jemný / zart, fein\r\n", "", {f1InAnswer, enterInAnswer}, "zart, fein", PC::Silver, true, 1, 0, false},
    WiringCase{"EveryF1InTheAnswerCounts", "jemný / zart, fein\r\n", "", {f1InAnswer, f1InAnswer}, "zart, fein", PC::Magenta, true, 2, 0, false},
    WiringCase{"F1OnTheButtonCountsNothing", kalt, side2, {typed("x"), f1OnButton}, "kalt ", PC::Magenta, true, 1, 0, false},
    WiringCase{"DoubleClickShowsTheAnswer", "sedět / sitzen\r\n", "", {doubleClick}, "sitzen", PC::Silver, false, 0, 0, false},
    WiringCase{"DoubleClickThenEnterIsRight", "sedět / sitzen\r\n", "", {doubleClick, enterInAnswer}, "sitzen", PC::Lime, true, 0, 1, false},
    WiringCase{"ALetterOnTheButtonStartsAnAnswer", "kočka / Katze\r\n", "", {typed("Hund"), {Step::KeyOnButton, nullptr, Qt::Key_K}}, "K", PC::Silver, false, 1, 0, false},
    WiringCase{"ACharacterBeyondAsciiOnTheButton", "kočka / Katze\r\n", "", {typed("Hund"), {Step::KeyOnButton, "ž", Qt::Key(0)}}, "ž", PC::Silver, false, 1, 0, false},
    WiringCase{"EscapeOnTheButtonTypesNothing", "kočka / Katze\r\n", "", {typed("Hund"), {Step::KeyOnButton, nullptr, Qt::Key_Escape}}, "Hund", PC::Red, true, 1, 0, false},
    WiringCase{"ARightAnswerShowsItsComment", kalt, side2, {typed("kalt")}, "kalt", PC::Lime, true, 0, 1, true},
    WiringCase{"AWrongAnswerShowsNoComment", kalt, side2, {typed("warm")}, "warm", PC::Red, true, 1, 0, false},
    WiringCase{"AWrongAnswerWithKomentar", kalt, "PrimJazyk=1\r\nKomentar=1\r\n", {typed("warm")}, "warm", PC::Red, true, 1, 0, true},
    WiringCase{"TheNextPairHidesTheComment", kalt, side2, {typed("kalt"), nextPair}, "", PC::Silver, false, 0, 1, false},
    WiringCase{"F1ShowsTheComment", kalt, side2, {f1InAnswer}, "kalt ", PC::Magenta, true, 1, 0, true},
    WiringCase{"DoubleClickShowsTheComment", kalt, side2, {doubleClick}, "kalt ", PC::Silver, false, 0, 0, true},
    WiringCase{"TheOfferedSidesCommentIsNoAnswerComment", kalt, "", {typed("studená")}, "studená", PC::Lime, true, 0, 1, false}),
    [](const auto &info) { return std::string(info.param.name); });
// clang-format on

TEST_F(DrillWindowTest, TheOfferedSideShowsItsComment)
{
    startWith(kalt);
    EXPECT_EQ(text("Edit1"), U("kalt ")) << "the side as stored, blank before the comment";
    EXPECT_TRUE(field("Edit11")->isVisible());
    EXPECT_EQ(text("Edit11"), U("kchalt"));
    next();
    EXPECT_TRUE(field("Edit11")->isVisible()) << "shown again with the next pair";
}

TEST_F(DrillWindowTest, CriterionPanelShowsTheAcceptingCriterion)
{
    startWith("s Krankenhaus / nemocnice\r\n",
              "PrimJazyk=0\r\nHodnoceni=1\r\nProcHodnoc=90\r\nProcZobraz=1\r\n");
    EXPECT_TRUE(child<QGroupBox>(form(), "GroupBox1")->isVisible());
    answer(QStringLiteral("nemocnica"));
    EXPECT_EQ(form().panelColour(), PanelColour::Red);
    EXPECT_TRUE(text("Edit9").isEmpty());
    next();
    context().settings.threshold = 80;
    answer(QStringLiteral("nemocinca")); // a swapped pair and a wrong letter
    EXPECT_EQ(form().panelColour(), PanelColour::Lime);
    EXPECT_EQ(text("Edit8"), U(" 80"));
    EXPECT_EQ(text("Edit9"), U(" 88.89"));
    EXPECT_EQ(text("Edit10"), U("  1"));
    EXPECT_EQ(child<QLabel>(form(), "Label12")->text(), U("prohozena dvě sousední písmena"));
    EXPECT_EQ(child<QGroupBox>(form(), "GroupBox1")->toolTip(),
              U("prohozena dvě sousední písmena"));
    next();
    answer(QStringLiteral("x"));
    EXPECT_TRUE(text("Edit8").isEmpty());
    EXPECT_TRUE(text("Edit10").isEmpty());
    EXPECT_EQ(child<QLabel>(form(), "Label12")->text(), U("prohozena dvě sousední písmena"));
}

// The line under the answer shows what the session notes, only once it is switched on in the
// settings window; the answer field's keys clear it.
TEST_F(DrillWindowTest, TheLineUnderTheAnswerFollowsTheSessionWhenSwitchedOn)
{
    startWith("nemocnice / Krankenhaus\r\n", "PrimJazyk=0\r\n");
    auto *line = child<QLabel>(form(), "AnswerNote");
    answer(QStringLiteral("Krankenhau"));
    EXPECT_FALSE(line->isVisible()) << "off by default";
    QCheckBox *showDifference = child<QCheckBox>(program.app().settingsDialog(), "CheckBox6");
    EXPECT_EQ(showDifference->text(), U("ukázat, kde se odpověď liší"));
    showDifference->click();
    next();
    answer(QStringLiteral("Krankenhau"));
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->accessibleName(), U("chybí písmeno za 'Krankenhau'"));
    EXPECT_TRUE(line->text().contains(QStringLiteral("color:#ff0000")));
    QTest::keyClick(button1(), Qt::Key_F1);
    EXPECT_EQ(line->accessibleName(), U("chybí 's' za 'Krankenhau'"));
    next();
    EXPECT_FALSE(line->isVisible()) << "a new pair";
    answer(QStringLiteral("Krankenhaux"));
    EXPECT_TRUE(line->isVisible());
    QTest::keyClick(field("Edit2"), Qt::Key_Backspace);
    EXPECT_FALSE(line->isVisible()) << "a key in the answer field";
    answer(QStringLiteral("Krankenhaux"));
    showDifference->click();
    EXPECT_FALSE(line->isVisible()) << "switched off";
}

TEST_F(DrillWindowTest, ReloadingTheCurrentDictionaryKeepsItsCounters)
{
    startWith("pes / r Hund\r\n");
    answer(QStringLiteral("x"));
    program.prompts.answers = {false};
    program.app().runCommand(
        [&] { program.app().openDictionary(program.path(QStringLiteral("lekce.slv"))); });
    EXPECT_EQ(context().dictionary.vocabulary().at(1).errors[1], 1);
    EXPECT_EQ(context().dictionary.vocabulary().at(1).offers[1], 1);
    EXPECT_EQ(program.prompts.texts("confirm"),
              QStringList{U("Chcete vymazat aktuální statistiku?")});
    EXPECT_EQ(context().drill.state().wrongCount, 1) << "No keeps the drill counters";
    EXPECT_EQ(text("Edit1"), U("pes"));

    program.prompts.answers = {true};
    program.app().runCommand(
        [&] { program.app().openDictionary(program.path(QStringLiteral("lekce.slv"))); });
    EXPECT_EQ(context().drill.state().wrongCount, 0);
    EXPECT_EQ(text("Edit5"), U("     0"));
}

TEST_F(DrillWindowTest, AFileWithoutPairsIsRefusedAndTheCurrentDictionaryStays)
{
    startWith("*téma\r\npes / r Hund\r\n");
    program.writeFile(QStringLiteral("prazdny.slv"), "*jen téma\r\n");
    const bool loaded = program.app().runCommand(
        [&] { program.app().openDictionary(program.path(QStringLiteral("prazdny.slv"))); });
    EXPECT_FALSE(loaded);
    ASSERT_EQ(program.prompts.texts("error").size(), 1);
    EXPECT_TRUE(program.prompts.texts("error").first().contains(U("není slovník")));
    EXPECT_EQ(caption(), U(" téma (slov: 1)"));
    EXPECT_EQ(text("Edit1"), U("pes"));
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("prazdny.slv"))), Cp1250("*jen téma\r\n"));
    // Nothing was answered: the current dictionary's file is not rewritten either.
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("lekce.slv"))),
              Cp1250("*téma\r\npes / r Hund\r\n"));
}

TEST_F(DrillWindowTest, AFailedLoadKeepsTheCurrentDictionary)
{
    startWith("*téma\r\npes / r Hund\r\n");
    const bool ran = program.app().runCommand(
        [&] { program.app().openDictionary(program.path("chybi.slv")); });
    EXPECT_FALSE(ran);
    EXPECT_EQ(program.prompts.texts("error"), QStringList{NoSuchFile()});
    EXPECT_EQ(context().dictionary.vocabulary().path, program.path(QStringLiteral("lekce.slv")));
    EXPECT_EQ(caption(), U(" téma (slov: 1)"));
}

TEST_F(DrillWindowTest, F3ChoosesADictionaryInTheSelectionWindowAndLoadsIt)
{
    startWith("pes / r Hund\r\n");
    program.writeFile(QStringLiteral("druhy.slv"), "*druhý\r\nokno / s Fenster\r\n");
    QDir::setCurrent(program.path(QString()));
    program.whenModal([&] {
        auto *selection = qobject_cast<DictionaryChooser *>(QApplication::activeModalWidget());
        ASSERT_NE(selection, nullptr);
        auto *list = child<QListWidget>(*selection, "ListBox1");
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->item(0)->text(), U("druhy.slv - druhý"));
        list->setCurrentRow(0);
        selection->chooseCurrentFile();
    });
    QTest::keyClick(&form(), Qt::Key_F3);
    EXPECT_EQ(context().settings.dictionaryPath, program.path(QStringLiteral("druhy.slv")));
    EXPECT_EQ(caption(), U(" druhý (slov: 1)"));
    EXPECT_EQ(text("Edit1"), U("okno"));
}

TEST_F(DrillWindowTest, ClosingWritesTheDictionaryBack)
{
    startWith("pes / r Hund\r\n");
    answer(QStringLiteral("x"));
    EXPECT_TRUE(form().close());
    const QByteArray written = ReadBytes(program.path(QStringLiteral("lekce.slv")));
    EXPECT_TRUE(written.endsWith(" @    1,    0,    1,    0\r\n"));
    EXPECT_TRUE(program.prompts.asked.isEmpty()) << "the title bar closes without a question";
}

class FailedWriteBackTest : public DrillWindowTest
{
protected:
    // A dictionary whose folder disappears after one answer was saved: the next is not.
    void startAndLoseTheFolder()
    {
        QDir(program.path(QString())).mkdir(QStringLiteral("sub"));
        program.startWith("pes / r Hund\r\n", "", QStringLiteral("sub/lekce.slv"));
        ASSERT_EQ(context().dictionary.vocabulary().count(), 1);
        answer(QStringLiteral("x"));
        QDir(program.path(QStringLiteral("sub"))).removeRecursively();
        next();
        answer(QStringLiteral("r Hund"));
        // Told once while drilling, not at every answer.
        next();
        answer(QStringLiteral("r Hund"));
        ASSERT_EQ(program.prompts.texts("error").size(), 1);
        EXPECT_TRUE(program.prompts.texts("error").first().contains(program.path("sub/lekce.slv")));
    }
};

TEST_F(FailedWriteBackTest, RetryAndSaveElsewhereKeepEveryAnswer)
{
    startAndLoseTheFolder();
    program.prompts.writeChoices = {WriteFailureChoice::Retry, WriteFailureChoice::SaveElsewhere};
    program.prompts.saveNames = {program.path(QStringLiteral("zachrana.slv"))};
    EXPECT_TRUE(form().close());
    EXPECT_EQ(program.prompts.texts("writeFailed").size(), 2);
    EXPECT_TRUE(
        program.prompts.texts("writeFailed").first().contains(program.path("sub/lekce.slv")));
    EXPECT_TRUE(ReadBytes(program.path(QStringLiteral("zachrana.slv")))
                    .endsWith(" @    3,    0,    1,    0\r\n"));
}

TEST_F(FailedWriteBackTest, ClosingWithoutSavingIsAlwaysPossible)
{
    startAndLoseTheFolder();
    program.prompts.writeChoices = {WriteFailureChoice::Discard};
    EXPECT_TRUE(form().close());
    EXPECT_FALSE(form().isVisible());
    EXPECT_EQ(program.prompts.texts("writeFailed").size(), 1);
    EXPECT_TRUE(ReviewHistory(program.path(QStringLiteral("data/history.sqlite")))
                    .unsettledAnswers(program.path(QStringLiteral("sub/lekce.slv")))
                    .isEmpty())
        << "given up by the user";
}

// The system ends the program (a logout) while the answers cannot be written: nobody is
// asked, and they stay unsettled in the history, which restores them at the next start.
TEST_F(FailedWriteBackTest, AnswersLeftAtTheEndOfTheSessionWaitForTheNextStart)
{
    startAndLoseTheFolder();
    program.app().endSession();
    // The end asked the event loops to stop: one run of the application's loop takes that
    // back, so that the dialogs of later tests in this process still open.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(program.prompts.texts("writeFailed").isEmpty());
    EXPECT_EQ(ReviewHistory(program.path(QStringLiteral("data/history.sqlite")))
                  .unsettledAnswers(program.path(QStringLiteral("sub/lekce.slv")))
                  .size(),
              2);
}

TEST_F(DrillWindowTest, AltXAsksBeforeEnding)
{
    startWith("pes / r Hund\r\n");
    program.prompts.answers = {false};
    QTest::keyClick(&form(), Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(program.prompts.texts("confirm"), QStringList{U("Chcete skutečně skončit?")});
    EXPECT_TRUE(form().isVisible());
    program.prompts.answers = {true};
    QTest::keyClick(&form(), Qt::Key_X, Qt::AltModifier);
    EXPECT_FALSE(form().isVisible());
}

} // namespace

namespace {

TEST_F(DrillWindowTest, ThePictureAnimatesOnlyWhileShownInTheActiveWindow)
{
    startWith("pes / r Hund\r\n", "Obrazek=1\r\n");
    auto *animation = child<AnimatedPicture>(form(), "RxGIFAnimator1");
    QApplication::setActiveWindow(&form());
    EXPECT_FALSE(animation->isRunning()) << "a hidden picture costs no timer";
    answer(QStringLiteral("x"));
    ASSERT_TRUE(animation->isVisible());
    EXPECT_TRUE(animation->isRunning());
    QApplication::setActiveWindow(nullptr);
    EXPECT_FALSE(animation->isRunning());
    QApplication::setActiveWindow(&form());
    EXPECT_TRUE(animation->isRunning());
    trigger("Aktuln1");
    EXPECT_FALSE(animation->isVisible());
    EXPECT_FALSE(animation->isRunning());
    EXPECT_EQ(context().dictionary.vocabulary().at(1).offers[1], 1)
        << "later activations load nothing";
    EXPECT_EQ(animation->animation()->frameCount(), 16);
    EXPECT_EQ(animation->animation()->frameRect().size(), QSize(64, 64));
}

TEST(CzechTranslation, StandardButtonsReadAnoAndNe)
{
    InstallInterfaceTranslation(*qApp, QStringLiteral("cs"));
    QMessageBox box(QMessageBox::Question, QString(), QString(),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), QStringLiteral("Ano"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), QStringLiteral("Ne"));
}

} // namespace
