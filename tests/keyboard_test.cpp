#include "app/about_box.h"
#include "app/app_context.h"
#include "app/application.h"
#include "app/help_window.h"
#include "drill/drill_window.h"
#include "settings/settings_dialog.h"
#include "statistics/report_window.h"
#include "test_support.h"
#include "vocabulary/current_dictionary_dialog.h"
#include "vocabulary/dictionary_chooser.h"
#include "vocabulary/dictionary_editor.h"
#include "vocabulary/new_dictionary_dialog.h"
#include "window_support.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

// The whole program from the keyboard: keys go to the focused control, as a user types them.
class KeyboardTest : public testing::Test
{
protected:
    void start(const char *dictionary = "*lekce\r\npes / r Hund\r\nkočka / e Katze\r\n")
    {
        program.startWith(dictionary);
        QDir::setCurrent(program.path(QString()));
        QApplication::setActiveWindow(&form());
    }
    DrillWindow &form() { return program.form(); }
    AppContext &context() { return program.app().context(); }
    QWidget *field(const char *name) { return child<QWidget>(form(), name); }
    void trigger(const char *action) { child<QAction>(form(), action)->trigger(); }
    static QRect screenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    RunningProgram program;
};

TEST_F(KeyboardTest, AfterAWindowClosesTheDrillHasTheKeyboardAgain)
{
    start();
    program.prompts.answers = {false}; // "Data dosud nejsou uložena. Uložit?" - Ne
    program.whenOpen<NewDictionaryDialog>([](NewDictionaryDialog &dialog) {
        auto *grid = child<QTableWidget>(dialog, "StringGrid1");
        grid->setItem(1, 1, new QTableWidgetItem(QStringLiteral("x")));
        dialog.reject();
    });
    trigger("Nov1");
    ProcessEvents();
    EXPECT_EQ(program.prompts.texts("confirm").size(), 1);
    EXPECT_EQ(QApplication::activeWindow(), &form());
    EXPECT_EQ(form().focusWidget(), field("Edit2")) << "a pair awaits its answer";

    // After an answer the button that offers the next pair has it, and shows it.
    QTest::keyClicks(field("Edit2"), QStringLiteral("x"));
    QTest::keyClick(field("Edit2"), Qt::Key_Return);
    ProcessEvents();
    EXPECT_EQ(form().focusWidget(), field("Button1"));
    EXPECT_TRUE(form().testAttribute(Qt::WA_KeyboardFocusChange)) << "the focus frame is drawn";
    program.whenOpen<AboutBox>([](AboutBox &box) { box.reject(); });
    trigger("Oaplikaci1");
    ProcessEvents();
    EXPECT_EQ(form().focusWidget(), field("Button1"));
}

TEST_F(KeyboardTest, AltWithALetterNoMenuTakesTypesNothing)
{
    start();
    QTest::keyClick(field("Edit2"), Qt::Key_Q, Qt::AltModifier);
    QTest::keyClick(field("Edit2"), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(child<QLineEdit>(form(), "Edit2")->text().isEmpty());
    QTest::keyClick(field("Edit2"), Qt::Key_N);
    EXPECT_EQ(child<QLineEdit>(form(), "Edit2")->text(), QStringLiteral("n"));
}

TEST_F(KeyboardTest, TabInTheNewDictionaryGoesFromSideToSideAndLeavesTheGrid)
{
    start();
    auto &dialog = program.app().newDictionaryDialog();
    dialog.clearGrid();
    auto *grid = child<QTableWidget>(dialog, "StringGrid1");
    grid->setFocus();
    grid->setCurrentCell(1, 1);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->currentColumn(), 2);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->currentRow(), 2) << "on to the next row";
    EXPECT_EQ(grid->currentColumn(), 1) << "never into the row numbers";
    QTest::keyClick(grid, Qt::Key_Backtab);
    EXPECT_EQ(grid->currentRow(), 1);
    EXPECT_EQ(grid->currentColumn(), 2);
    // Ctrl+Tab leads out of the grid.
    dialog.show();
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(dialog.focusWidget(), child<QPushButton>(dialog, "Button1"));
    dialog.hide();
}

TEST_F(KeyboardTest, TheEditorIsUsedFromTheKeyboard)
{
    start();
    program.prompts.saveNames = {program.path(QStringLiteral("upraveno.slv"))};
    program.whenOpen<DictionaryChooser>([](DictionaryChooser &chooser) {
        // The list has the focus as soon as the window is active.
        EXPECT_EQ(chooser.focusWidget(), child<QListWidget>(chooser, "ListBox1"));
        child<QListWidget>(chooser, "ListBox1")->setCurrentRow(0);
        QTest::keyClick(child<QPushButton>(chooser, "Button1"), Qt::Key_Return);
    });
    bool done = false;
    program.whenOpen<DictionaryEditor>([&](DictionaryEditor &editor) {
        QApplication::setActiveWindow(&editor);
        auto *grid = child<QTableWidget>(editor, "StringGrid1");
        grid->setFocus();
        // Delete empties a cell; Tab at the last cell leaves the grid for "ulož".
        grid->setCurrentCell(1, 1);
        QTest::keyClick(grid, Qt::Key_Delete);
        EXPECT_TRUE(grid->item(1, 1)->text().isEmpty());
        grid->setCurrentCell(grid->rowCount() - 1, 1);
        QTest::keyClick(grid, Qt::Key_Tab);
        EXPECT_EQ(editor.focusWidget(), child<QPushButton>(editor, "Button1"));
        // Ctrl+S saves, the dialog offering the file that was opened.
        QTest::keyClick(grid, Qt::Key_S, Qt::ControlModifier);
        done = true;
        editor.reject();
    });
    trigger("Vbr1");
    ASSERT_TRUE(done);
    EXPECT_EQ(program.prompts.saveStarts, QStringList{program.path(QStringLiteral("lekce.slv"))});
    // The row whose side was emptied is no pair any more.
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("upraveno.slv"))),
              Cp1250("*lekce\r\npes   /   r Hund\r\n"));
}

TEST_F(KeyboardTest, EnterPressesTheFocusedButton)
{
    start();
    // Settings: "ulož" saves, "OK" closes.
    program.whenOpen<SettingsDialog>([](SettingsDialog &dialog) {
        auto *save = child<QPushButton>(dialog, "Button2");
        save->setFocus();
        QTest::keyClick(save, Qt::Key_Return);
        QTest::keyClick(child<QPushButton>(dialog, "Button1"), Qt::Key_Enter);
    });
    trigger("Volby1");
    EXPECT_TRUE(QFile::exists(program.path(QStringLiteral("Merko.ini"))));
    EXPECT_FALSE(program.app().settingsDialog().isVisible());

    // The report opens read-only, with the focus on "OK".
    program.whenOpen<ReportWindow>([](ReportWindow &report) {
        EXPECT_TRUE(child<QPlainTextEdit>(report, "Memo1")->isReadOnly());
        auto *ok = child<QPushButton>(report, "Button1");
        // The focus the window has whenever it is active (activation itself may come later).
        EXPECT_EQ(report.focusWidget(), ok);
        QTest::keyClick(ok, Qt::Key_Return);
        if (report.isVisible())
            report.reject(); // never left open by a failed check
    });
    trigger("etnosti1");
    EXPECT_FALSE(program.app().reportWindow().isVisible());
}

TEST_F(KeyboardTest, TheChooserShowsItsFolderAndKeepsTheDriveOnArrows)
{
    start();
    DictionaryChooser &chooser = program.app().dictionaryChooser();
    chooser.refresh();
    EXPECT_EQ(child<QLabel>(chooser, "FolderLabel")->text(),
              QDir::toNativeSeparators(QDir::currentPath()));
    auto *drives = child<QComboBox>(chooser, "DriveComboBox1");
    const int drive = drives->currentIndex();
    QTest::keyClick(drives, Qt::Key_Down);
    QTest::keyClick(drives, Qt::Key_Up);
    EXPECT_EQ(drives->currentIndex(), drive);
    EXPECT_EQ(QDir::currentPath(), QDir(program.path(QString())).absolutePath());
    EXPECT_EQ(child<QTreeView>(chooser, "DirectoryListBox1")->header()->sectionResizeMode(0),
              QHeaderView::ResizeToContents);
}

// Every command of the main menu has an access key of its own in its menu, or a shortcut;
// in the settings, Tab leads from the dictionary's field to its "..." button.
TEST_F(KeyboardTest, EveryCommandHasAKeyAndTabReachesEveryButton)
{
    start();
    for (auto *menu : form().findChildren<QMenu *>()) {
        QString keys;
        for (QAction *action : menu->actions()) {
            if (action->isSeparator())
                continue;
            const qsizetype at = action->text().indexOf(QLatin1Char('&'));
            if (at >= 0 && at + 1 < action->text().size()) {
                const QChar key = action->text().at(at + 1).toLower();
                EXPECT_FALSE(keys.contains(key)) << action->text().toStdString();
                keys.append(key);
            } else {
                EXPECT_FALSE(action->shortcut().isEmpty())
                    << "no key for " << action->text().toStdString();
            }
        }
    }
    bool reached = false;
    program.whenOpen<SettingsDialog>([&](SettingsDialog &dialog) {
        QApplication::setActiveWindow(&dialog);
        child<QLineEdit>(dialog, "Edit1")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached = QApplication::focusWidget() == child<QWidget>(dialog, "SpeedButton1");
        dialog.reject();
    });
    trigger("Volby1");
    EXPECT_TRUE(reached);
}

TEST_F(KeyboardTest, WindowsOpenAtTheirPlacesInsideTheScreen)
{
    start();
    const QRect area = screenArea();
    EXPECT_TRUE(area.contains(form().frameGeometry()))
        << form().frameGeometry().x() << "," << form().frameGeometry().y() << " "
        << form().frameGeometry().width() << "x" << form().frameGeometry().height() << " in "
        << area.width() << "x" << area.height();
    program.whenOpen<SettingsDialog>([](SettingsDialog &dialog) { dialog.accept(); });
    trigger("Volby1");
    EXPECT_EQ(program.app().settingsDialog().pos(), QPoint(288, 66));
    program.whenOpen<HelpWindow>([](HelpWindow &window) { window.accept(); });
    trigger("Help2");
    const QRect help = program.app().helpWindow().frameGeometry();
    EXPECT_TRUE(area.contains(help))
        << help.x() << "," << help.y() << " " << help.width() << "x" << help.height();
    EXPECT_EQ(help.y(), 192);
    program.whenOpen<AboutBox>([](AboutBox &box) { box.accept(); });
    trigger("Oaplikaci1");
    const QPoint middle = program.app().aboutBox().geometry().center();
    EXPECT_LE((middle - area.center()).manhattanLength(), 2);

    // The current dictionary shows whole lines, counters included.
    CurrentDictionaryDialog &current = program.app().currentDictionaryDialog();
    const QFont font = child<QPlainTextEdit>(current, "Memo1")->font();
    EXPECT_GE(current.width(), QFontMetrics(font).horizontalAdvance(QString(148, 'x')));
}

} // namespace
