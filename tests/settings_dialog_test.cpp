#include "app/app_context.h"
#include "app/application.h"
#include "drill/drill_window.h"
#include "settings/settings_dialog.h"
#include "test_support.h"
#include "vocabulary/dictionary_chooser.h"
#include "window_support.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class SettingsDialogTest : public testing::Test
{
protected:
    void start(const char *settings = nullptr)
    {
        if (settings)
            program.writeSettings(settings);
        program.start();
        form2 = &program.app().settingsDialog();
        ASSERT_NE(form2, nullptr);
    }
    QRadioButton *item(const char *group, int index)
    {
        return child<QRadioButton>(*form2,
                                   (std::string(group) + "Item" + std::to_string(index)).c_str());
    }
    bool shown(const char *name) { return child<QWidget>(*form2, name)->isVisibleTo(form2); }
    bool panelShown() { return child<QGroupBox>(program.form(), "GroupBox1")->isVisible(); }
    QCheckBox *box(const char *name) { return child<QCheckBox>(*form2, name); }
    QSpinBox *spin() { return child<QSpinBox>(*form2, "SpinEdit1"); }
    AppContext &context() { return program.app().context(); }

    RunningProgram program;
    SettingsDialog *form2 = nullptr;
};

TEST_F(SettingsDialogTest, WithoutASettingsFileEverythingHasItsDefault)
{
    start();
    EXPECT_EQ(form2->windowTitle(), U("nastavení:") + QString(35, ' '));
    for (const char *group : {"RadioGroup1", "RadioGroup2", "RadioGroup3"})
        EXPECT_TRUE(item(group, 0)->isChecked()) << group;
    EXPECT_EQ(spin()->value(), 90);
    EXPECT_FALSE(box("CheckBox1")->isChecked());
    EXPECT_FALSE(box("CheckBox2")->isChecked());
    EXPECT_FALSE(box("CheckBox3")->isChecked());
    EXPECT_TRUE(child<QLineEdit>(*form2, "Edit1")->text().isEmpty());
    EXPECT_FALSE(shown("Label1"));
    EXPECT_FALSE(shown("SpinEdit1"));
    EXPECT_FALSE(shown("CheckBox1"));
    EXPECT_FALSE(panelShown());
    EXPECT_EQ(context().drill.state().offeredSide, 1);
}

TEST_F(SettingsDialogTest, StoredPercentJudgingWithTheCriterionShowsEverything)
{
    start("[Setup]\r\nHodnoceni=1\r\nProcHodnoc=85\r\nProcZobraz=1\r\nCetnost=1\r\nKomentar=1\r\n");
    EXPECT_TRUE(item("RadioGroup3", 1)->isChecked());
    EXPECT_TRUE(item("RadioGroup1", 1)->isChecked());
    EXPECT_TRUE(shown("Label1"));
    EXPECT_TRUE(shown("SpinEdit1"));
    EXPECT_TRUE(shown("CheckBox1"));
    EXPECT_TRUE(box("CheckBox1")->isChecked());
    EXPECT_TRUE(box("CheckBox3")->isChecked());
    EXPECT_EQ(spin()->value(), 85);
    EXPECT_TRUE(panelShown());
}

TEST_F(SettingsDialogTest, TheCriterionSwitchAloneShowsNothingUntilPercentJudging)
{
    start("[Setup]\r\nHodnoceni=0\r\nProcZobraz=1\r\n");
    EXPECT_FALSE(shown("Label1"));
    EXPECT_FALSE(shown("CheckBox1"));
    EXPECT_FALSE(panelShown());
    item("RadioGroup3", 1)->click();
    EXPECT_EQ(context().settings.assessment, AssessmentMode::PercentMatch);
    EXPECT_TRUE(shown("Label1"));
    EXPECT_TRUE(shown("SpinEdit1"));
    EXPECT_TRUE(shown("CheckBox1"));
    EXPECT_TRUE(panelShown());
    box("CheckBox1")->click();
    EXPECT_FALSE(context().settings.showCriterion);
    EXPECT_FALSE(panelShown());
    item("RadioGroup3", 0)->click();
    EXPECT_FALSE(shown("CheckBox1"));
}

TEST_F(SettingsDialogTest, ChoosingTheOfferedSideActsAtOnce)
{
    program.writeFile(QStringLiteral("a.slv"), "pes / r Hund\r\n");
    start(("[Setup]\r\nPrimJazyk=2\r\nSlovnik=" + program.path("a.slv").toStdString() + "\r\n")
              .c_str());
    // The first draw of a run is 0: the first pair shows side 1.
    EXPECT_EQ(context().drill.state().offeredSide, 1);
    item("RadioGroup2", 1)->click();
    EXPECT_EQ(context().settings.sideChoice, SideChoice::Second);
    EXPECT_EQ(context().drill.state().offeredSide, 2) << "applies to the pair on screen too";
    item("RadioGroup2", 2)->click();
    EXPECT_EQ(context().drill.state().offeredSide, 2);
    item("RadioGroup2", 0)->click();
    EXPECT_EQ(context().drill.state().offeredSide, 1);
    item("RadioGroup1", 2)->click();
    EXPECT_EQ(context().settings.pairChoice, PairChoice::AtRandom);
}

// Choosing by the review schedule shows its two numbers, and the drill window its day at once.
TEST_F(SettingsDialogTest, TheReviewScheduleShowsItsNumbersAndTheDrillItsDay)
{
    program.writeFile(QStringLiteral("a.slv"), "pes / r Hund\r\nkočka / e Katze\r\n");
    start(("[Setup]\r\nSlovnik=" + program.path("a.slv").toStdString() + "\r\n").c_str());
    auto *counts = child<QLabel>(program.form(), "ScheduleCounts");
    EXPECT_FALSE(shown("RetentionSpin"));
    EXPECT_FALSE(counts->isVisible());
    item("RadioGroup1", 3)->click();
    EXPECT_EQ(context().settings.pairChoice, PairChoice::BySchedule);
    EXPECT_TRUE(shown("RetentionSpin"));
    EXPECT_TRUE(shown("NewPerDaySpin"));
    EXPECT_TRUE(counts->isVisible());
    EXPECT_EQ(counts->text(), U("k opakování dnes: 0\nnových: 2"));
    child<QSpinBox>(*form2, "NewPerDaySpin")->setValue(1);
    EXPECT_EQ(counts->text(), U("k opakování dnes: 0\nnových: 1"));
    child<QSpinBox>(*form2, "RetentionSpin")->setValue(80);
    EXPECT_EQ(context().settings.desiredRetention, 80);
    item("RadioGroup1", 0)->click();
    EXPECT_FALSE(shown("RetentionSpin"));
    EXPECT_FALSE(counts->isVisible());
}

TEST_F(SettingsDialogTest, UntickingThePictureHidesItAtOnce)
{
    program.writeFile(QStringLiteral("a.slv"), "pes / r Hund\r\n");
    start(("[Setup]\r\nObrazek=1\r\nSlovnik=" + program.path("a.slv").toStdString() + "\r\n")
              .c_str());
    auto *edit2 = child<QLineEdit>(program.form(), "Edit2");
    edit2->setText(QStringLiteral("x"));
    QTest::keyClick(edit2, Qt::Key_Return);
    QWidget *picture = child<QWidget>(program.form(), "RxGIFAnimator1");
    EXPECT_TRUE(picture->isVisible());
    box("CheckBox2")->click();
    EXPECT_FALSE(context().settings.showPicture);
    EXPECT_FALSE(picture->isVisible());
    box("CheckBox2")->click();
    EXPECT_FALSE(picture->isVisible()) << "ticking shows nothing at once";
}

TEST_F(SettingsDialogTest, TheThresholdIsBroughtIntoRangeWhenTheFieldIsLeft)
{
    start("[Setup]\r\nHodnoceni=1\r\n");
    bool checked = false;
    program.whenModal([&] {
        // Focus moves only in the active window, which the platform may not have made it yet.
        QApplication::setActiveWindow(form2);
        QSpinBox *field = spin();
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("150"));
        QTest::keyClick(field, Qt::Key_Tab);
        EXPECT_EQ(field->value(), 100);
        EXPECT_EQ(context().settings.threshold, 100);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("-5"));
        child<QPushButton>(*form2, "Button1")->click(); // OK reads the field first
        checked = true;
    });
    child<QAction>(program.form(), "Volby1")->trigger();
    EXPECT_TRUE(checked);
    EXPECT_EQ(context().settings.threshold, 0);
    EXPECT_EQ(spin()->value(), 0);
}

TEST_F(SettingsDialogTest, ChangesStayForTheRunAndOnlySaveMakesThemLast)
{
    start();
    program.whenModal([&] {
        box("CheckBox3")->click();
        form2->close(); // the title bar acts like OK
    });
    child<QAction>(program.form(), "Volby1")->trigger();
    EXPECT_TRUE(context().settings.commentAfterWrongAnswer);
    EXPECT_FALSE(QFile::exists(program.path(QStringLiteral("Merko.ini"))));

    child<QPushButton>(*form2, "Button2")->click();
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("Merko.ini"))),
              QByteArray("[Setup]\r\nSlovnik=\r\nCetnost=0\r\nPrimJazyk=0\r\nHodnoceni=0\r\n"
                         "ProcHodnoc=90\r\nProcZobraz=0\r\nObrazek=0\r\nKomentar=1\r\n"));
    EXPECT_TRUE(program.prompts.asked.isEmpty());
}

TEST_F(SettingsDialogTest, AFailedSaveNamesTheFileAndKeepsTheValues)
{
    start();
    context().dataDirectory = program.path(QStringLiteral("gone"));
    box("CheckBox2")->click();
    child<QPushButton>(*form2, "Button2")->click();
    EXPECT_EQ(
        program.prompts.texts("error"),
        QStringList{U("Unable to write to ") + program.path(QStringLiteral("gone/Merko.ini"))});
    EXPECT_TRUE(context().settings.showPicture);
}

TEST_F(SettingsDialogTest, TheDotsButtonChoosesAndLoadsADictionary)
{
    program.writeFile(QStringLiteral("lekce.slv"), "*lekce\r\nokno / s Fenster\r\n");
    start();
    QDir::setCurrent(program.path(QString()));
    program.whenModal([&] {
        auto *selection = qobject_cast<DictionaryChooser *>(QApplication::activeModalWidget());
        ASSERT_NE(selection, nullptr);
        child<QPushButton>(*selection, "Button1")->click();
    });
    child<QToolButton>(*form2, "SpeedButton1")->click();
    EXPECT_EQ(child<QLineEdit>(*form2, "Edit1")->text(), program.path(QStringLiteral("lekce.slv")));
    EXPECT_EQ(context().dictionary.vocabulary().count(), 1);
    EXPECT_EQ(child<QLabel>(program.form(), "Label11")->text(), U(" lekce (slov: 1)"));

    // A typed path is the setting at once.
    auto *edit1 = child<QLineEdit>(*form2, "Edit1");
    edit1->clear();
    QTest::keyClicks(edit1, QStringLiteral("x.slv"));
    EXPECT_EQ(context().settings.dictionaryPath, QStringLiteral("x.slv"));
}

} // namespace
