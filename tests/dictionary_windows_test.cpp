#include "app/app_context.h"
#include "app/application.h"
#include "core/text_file.h"
#include "drill/drill_window.h"
#include "test_support.h"
#include "vocabulary/current_dictionary_dialog.h"
#include "vocabulary/dictionary_list.h"
#include "vocabulary/dictionary_editor.h"
#include "vocabulary/new_dictionary_dialog.h"
#include "vocabulary/dictionary_chooser.h"
#include "vocabulary/vocabulary_file.h"
#include "window_support.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

QString padded(const char *utf8, int width)
{
    return PadRight(U(utf8), width);
}

class DictionaryWindowsTest : public testing::Test
{
protected:
    void start()
    {
        program.start();
        QDir::setCurrent(program.path(QString()));
    }
    void loadCurrent(const char *name)
    {
        program.app().runCommand([&] { program.app().openDictionary(program.path(U(name))); });
    }
    DrillWindow &form() { return program.form(); }
    AppContext &context() { return program.app().context(); }
    QStringList items(DictionaryChooser &selection)
    {
        QStringList result;
        auto *list = child<QListWidget>(selection, "ListBox1");
        for (int i = 0; i < list->count(); ++i)
            result.append(list->item(i)->text());
        return result;
    }
    // Chooses the named file in the selection window that the next command opens.
    void chooseInSelection(const QString &name)
    {
        program.whenOpen<DictionaryChooser>([this, name](DictionaryChooser &selection) {
            auto *list = child<QListWidget>(selection, "ListBox1");
            const auto found = list->findItems(name, Qt::MatchStartsWith);
            ASSERT_FALSE(found.isEmpty()) << name.toStdString();
            list->setCurrentItem(found.first());
            selection.chooseCurrentFile();
        });
    }
    void closeSelectionWithoutChoice()
    {
        program.whenOpen<DictionaryChooser>(
            [](DictionaryChooser &selection) { selection.reject(); });
    }
    QTableWidget *editorGrid()
    {
        return child<QTableWidget>(*&program.app().dictionaryEditor(), "StringGrid1");
    }

    RunningProgram program;
};

TEST_F(DictionaryWindowsTest, TheSelectionListShowsDictionaryFilesWithTheirThemes)
{
    program.writeFile(QStringLiteral("lekce1.slv"),
                      "*čeština-němčina, lekce 1\r\npes / r Hund\r\n");
    program.writeFile(QStringLiteral("LEKCE.SLV"), "  *  velká písmena  \r\n");
    program.writeFile(QStringLiteral("a.slv.slv"), "a / b\r\n");
    program.writeFile(QStringLiteral("empty.slv"), "");
    program.writeFile(QStringLiteral("blank.slv"), "\r\n*pozdní téma\r\n");
    program.writeFile(QStringLiteral("long.slv"),
                      "*123456789012345678901234567890123456789012345678901234567890\r\n");
    program.writeFile(QStringLiteral("notes.txt"), "*nejsem slovník\r\n");
    start();
    auto *selection = &program.app().dictionaryChooser();
    selection->refresh();
    EXPECT_EQ(
        items(*selection),
        (QStringList{U("a.slv.slv"), U("blank.slv"), U("empty.slv"),
                     U("LEKCE.SLV -   velká písmena"), U("lekce1.slv - čeština-němčina, lekce 1"),
                     U("long.slv - 12345678901234567890123456789012345678901234567890")}));
    EXPECT_EQ(child<QListWidget>(*selection, "ListBox1")->currentRow(), 0);
    EXPECT_EQ(selection->windowTitle(), U("    výběr slovníku:"));

    // The choice is the file's own name, returned with its full path.
    for (const char *name : {"a.slv.slv", "LEKCE.SLV"}) {
        chooseInSelection(U(name));
        EXPECT_EQ(selection->exec(), QDialog::Accepted);
        EXPECT_EQ(selection->selectedPath(), program.path(U(name)));
    }
}

TEST_F(DictionaryWindowsTest, AFolderWithoutDictionariesOffersNothingToChoose)
{
    start();
    QDir(program.path(QString())).mkdir(QStringLiteral("prazdna"));
    auto *selection = &program.app().dictionaryChooser();
    context().settings.dictionaryPath = QStringLiteral("keep.slv");
    program.whenOpen<DictionaryChooser>([this](DictionaryChooser &dialog) {
        dialog.openDirectory(program.path(QStringLiteral("prazdna")));
        EXPECT_EQ(QDir::currentPath(), program.path(QStringLiteral("prazdna")));
        EXPECT_TRUE(items(dialog).isEmpty());
        child<QPushButton>(dialog, "Button1")->click();
        dialog.chooseCurrentFile();
        EXPECT_TRUE(dialog.isVisible());
        dialog.reject();
    });
    EXPECT_EQ(selection->exec(), QDialog::Rejected);
    EXPECT_EQ(context().settings.dictionaryPath, QStringLiteral("keep.slv"));
}

TEST_F(DictionaryWindowsTest, TheDriveBoxOffersTheRootAndHomeFirst)
{
    start();
    auto *selection = &program.app().dictionaryChooser();
    selection->refresh();
    auto *drives = child<QComboBox>(*selection, "DriveComboBox1");
    ASSERT_GE(drives->count(), 2);
    EXPECT_EQ(drives->itemData(0).toString(), QDir::rootPath());
    EXPECT_EQ(drives->itemData(1).toString(), QDir::homePath());
}

// The folder tree reads folders in the background; when it has settled, the working folder,
// deep below many others, is in view.
TEST_F(DictionaryWindowsTest, TheTreeShowsTheWorkingFolderDeepBelowOthers)
{
    start();
    QDir root(program.path(QString()));
    for (int i = 0; i < 40; ++i)
        root.mkpath(QStringLiteral("a%1/b").arg(i, 2, 10, QLatin1Char('0')));
    root.mkpath(QStringLiteral("z/y/x/w/slovniky"));
    QDir::setCurrent(program.path(QStringLiteral("z/y/x/w/slovniky")));
    bool inView = false;
    program.whenOpen<DictionaryChooser>([&](DictionaryChooser &chooser) {
        auto *tree = child<QTreeView>(chooser, "DirectoryListBox1");
        QTest::qWait(500);
        const QRect shown = tree->visualRect(tree->currentIndex());
        inView = shown.isValid() && shown.top() >= 0 && shown.bottom() < tree->viewport()->height();
        chooser.reject();
    });
    child<QAction>(form(), "Nati1")->trigger();
    EXPECT_TRUE(inView);
}

TEST_F(DictionaryWindowsTest, TheCurrentDictionaryWindowShowsTheFileOrSaysThereIsNone)
{
    start();
    QString shown;
    const auto showCurrent = [&] {
        program.whenOpen<CurrentDictionaryDialog>([&](CurrentDictionaryDialog &dialog) {
            shown = child<QPlainTextEdit>(dialog, "Memo1")->toPlainText();
            dialog.reject();
        });
        child<QAction>(form(), "Ukaaktuln1")->trigger();
    };
    showCurrent();
    EXPECT_EQ(program.prompts.texts("notice"),
              QStringList{U("Soubor slov dosud nebyl načten nebo je prázdný.")});
    EXPECT_EQ(shown, QStringLiteral("\n")) << "the window still opens, empty";

    program.writeFile(QStringLiteral("a.slv"), "*téma\r\n\r\npes / r Hund @1,2,3,4\r\n");
    loadCurrent("a.slv");
    showCurrent();
    EXPECT_EQ(shown, U("*téma\n\npes / r Hund @1,2,3,4"))
        << "the file as loaded, not yet written back";
    EXPECT_EQ(program.prompts.texts("notice").size(), 1);
}

TEST_F(DictionaryWindowsTest, EditingAnotherDictionaryLeavesTheCurrentOneAlone)
{
    program.writeFile(QStringLiteral("current.slv"), "*můj\r\npes / r Hund\r\n");
    program.writeFile(QStringLiteral("other.slv"),
                      "*cizí\r\n\r\n  kalt {kchalt} / studen[ý|á|é]  @ 4,5,6,7\r\n* poznámka\r\n"
                      "bez lomítka\r\njen / \r\n");
    start();
    loadCurrent("current.slv");
    const QByteArray currentBytes = ReadBytes(program.path(QStringLiteral("current.slv")));

    program.prompts.saveNames = {program.path(QStringLiteral("saved.slv"))};
    chooseInSelection(QStringLiteral("other.slv"));
    program.whenOpen<DictionaryEditor>([this](DictionaryEditor &editor) {
        QTableWidget *grid = child<QTableWidget>(editor, "StringGrid1");
        EXPECT_EQ(grid->rowCount(), DictionaryEditor::GridRows);
        EXPECT_EQ(grid->item(0, 0)->text(), U("kalt {kchalt}"));
        EXPECT_EQ(grid->item(0, 1)->text(), U("studen[ý|á|é]"));
        EXPECT_EQ(grid->item(1, 0)->text(), U("jen"));
        EXPECT_EQ(grid->item(1, 1)->text(), QString());
        grid->setItem(2, 0, new QTableWidgetItem(U(" nový ")));
        grid->setItem(2, 1, new QTableWidgetItem(U("neu")));
        child<QPushButton>(editor, "Button1")->click();
        editor.reject();
    });
    child<QAction>(form(), "Vbr1")->trigger();

    // The counters and every line the editor does not show are kept; the row with one side
    // stays, as the file had it; the new row comes after the last row of the file.
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("saved.slv"))),
              Cp1250("*cizí\r\n\r\nkalt {kchalt}   /   studen[ý|á|é] @    4,    5,    6,    7\r\n"
                     "* poznámka\r\nbez lomítka\r\njen   /   \r\n nový    /   neu\r\n"));
    EXPECT_EQ(program.prompts.saveFilters, QStringList{U("slovníky (*.slv)")});
    EXPECT_EQ(program.prompts.saveSuffixes, QStringList{U("slv")});
    EXPECT_EQ(context().dictionary.vocabulary().path, program.path(QStringLiteral("current.slv")));
    EXPECT_EQ(context().dictionary.vocabulary().theme, U("*můj"));
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("current.slv"))), currentBytes);
}

TEST_F(DictionaryWindowsTest, EditingTheCurrentDictionarySavesItAndReloadsIt)
{
    program.writeFile(QStringLiteral("lekce.slv"),
                      "*lekce\r\npes / r Hund\r\nokno / s Fenster\r\n");
    start();
    loadCurrent("lekce.slv");
    QLineEdit *edit2 = child<QLineEdit>(form(), "Edit2");
    edit2->setText(QStringLiteral("x"));
    QTest::keyClick(edit2, Qt::Key_Return);
    const int position = context().drill.state().currentPosition;

    program.prompts.saveNames = {program.path(QStringLiteral("lekce.slv"))};
    chooseInSelection(QStringLiteral("lekce.slv"));
    program.whenOpen<DictionaryEditor>([this, position](DictionaryEditor &editor) {
        // The statistics reached the file before the editor opened.
        const QByteArray onDisk = ReadBytes(program.path(QStringLiteral("lekce.slv")));
        EXPECT_TRUE(onDisk.contains(position == 1 ? " @    1,    0,    1,    0\r\nokno"
                                                  : " @    1,    0,    1,    0\r\n"));
        EXPECT_TRUE(context().dictionary.vocabulary().path.isEmpty()) << "set aside while editing";
        QTableWidget *grid = child<QTableWidget>(editor, "StringGrid1");
        EXPECT_EQ(grid->item(0, 1)->text(), U("r Hund"));
        grid->setItem(2, 0, new QTableWidgetItem(U("dům")));
        grid->setItem(2, 1, new QTableWidgetItem(U("s Haus")));
        child<QPushButton>(editor, "Button1")->click();
        editor.reject();
    });
    child<QAction>(form(), "Vbr1")->trigger();

    EXPECT_EQ(context().dictionary.vocabulary().path, program.path(QStringLiteral("lekce.slv")));
    EXPECT_EQ(context().dictionary.vocabulary().count(), 3);
    EXPECT_EQ(child<QLabel>(form(), "Label11")->text(), U(" lekce (slov: 3)"));
    // Saving from the editor keeps the counters of the pairs of the file; the new one has none.
    EXPECT_EQ(context().dictionary.vocabulary().at(position).offers[1], 1);
    EXPECT_EQ(context().dictionary.vocabulary().at(position).errors[1], 1);
    EXPECT_EQ(context().dictionary.vocabulary().at(3).side[1], U("dům"));
    EXPECT_EQ(context().dictionary.vocabulary().at(3).offers[1], 0);
}

TEST_F(DictionaryWindowsTest, ClosingTheEditorWithoutSavingReloadsTheCounters)
{
    program.writeFile(QStringLiteral("lekce.slv"), "pes / r Hund @ 5,0,2,0\r\n");
    start();
    loadCurrent("lekce.slv");
    chooseInSelection(QStringLiteral("lekce.slv"));
    program.whenOpen<DictionaryEditor>([](DictionaryEditor &editor) { editor.reject(); });
    child<QAction>(form(), "Vbr1")->trigger();
    EXPECT_EQ(context().dictionary.vocabulary().at(1).offers[1], 5);
    EXPECT_EQ(context().dictionary.vocabulary().at(1).errors[1], 2);
    EXPECT_TRUE(program.prompts.texts("save").isEmpty());
}

TEST_F(DictionaryWindowsTest, EditingWhileNothingIsCurrentMakesTheDictionaryCurrent)
{
    program.writeFile(QStringLiteral("lekce.slv"), "pes / r Hund\r\n");
    start();
    chooseInSelection(QStringLiteral("lekce.slv"));
    program.whenOpen<DictionaryEditor>([](DictionaryEditor &editor) { editor.reject(); });
    child<QAction>(form(), "Vbr1")->trigger();
    EXPECT_EQ(context().dictionary.vocabulary().path, program.path(QStringLiteral("lekce.slv")));
    EXPECT_EQ(child<QLineEdit>(form(), "Edit1")->text(), U("pes"));
}

TEST_F(DictionaryWindowsTest, ClosingTheSelectionWithoutAChoiceStillLoadsThePathField)
{
    program.writeFile(QStringLiteral("lekce.slv"), "pes / r Hund\r\n");
    start();
    // Nothing loaded and nothing named: nothing happens.
    closeSelectionWithoutChoice();
    child<QAction>(form(), "Vbr1")->trigger();
    EXPECT_TRUE(context().dictionary.vocabulary().path.isEmpty());
    EXPECT_TRUE(program.prompts.asked.isEmpty());

    // A name whose file is missing gives the system's error text.
    context().settings.dictionaryPath = program.path(QStringLiteral("chybi.slv"));
    closeSelectionWithoutChoice();
    child<QAction>(form(), "Vbr1")->trigger();
    EXPECT_EQ(program.prompts.texts("error"), QStringList{NoSuchFile()});

    // An existing name is loaded.
    context().settings.dictionaryPath = program.path(QStringLiteral("lekce.slv"));
    closeSelectionWithoutChoice();
    child<QAction>(form(), "Vbr1")->trigger();
    EXPECT_EQ(context().dictionary.vocabulary().path, program.path(QStringLiteral("lekce.slv")));
}

TEST_F(DictionaryWindowsTest, TheEditorGrowsToHoldEveryPair)
{
    QByteArray content;
    for (int i = 1; i <= 620; ++i)
        content += "slovo" + QByteArray::number(i) + " / Wort" + QByteArray::number(i) + "\r\n";
    program.writeFile(QStringLiteral("big.slv"), content.constData());
    start();
    auto *editor = &program.app().dictionaryEditor();
    editor->openFile(program.path(QStringLiteral("big.slv")));
    EXPECT_EQ(editorGrid()->rowCount(), 620);
    EXPECT_EQ(editorGrid()->item(619, 1)->text(), QStringLiteral("Wort620"));

    program.prompts.saveNames = {program.path(QStringLiteral("copy.slv"))};
    editor->save();
    Vocabulary copy;
    ReadVocabularyFile(program.path(QStringLiteral("copy.slv")), copy);
    EXPECT_EQ(copy.count(), 620);

    program.writeFile(QStringLiteral("small.slv"), "a / b\r\n");
    editor->openFile(program.path(QStringLiteral("small.slv")));
    EXPECT_EQ(editorGrid()->rowCount(), DictionaryEditor::GridRows);
    EXPECT_EQ(editorGrid()->item(1, 0), nullptr);
}

class NewDictionaryTest : public DictionaryWindowsTest
{
protected:
    void type(QTableWidget *grid, int row, int column, const QString &text)
    {
        // The first key opens the cell's editor, which takes the rest and Enter.
        grid->setCurrentCell(row, column);
        TypeText(grid, text.left(1));
        auto *editor = qobject_cast<QLineEdit *>(grid->indexWidget(grid->currentIndex()));
        ASSERT_NE(editor, nullptr);
        TypeText(editor, text.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
    }
};

TEST_F(NewDictionaryTest, ShowsHeadingsAndRowNumbersAndKeepsTheTheme)
{
    start();
    auto *window = &program.app().newDictionaryDialog();
    program.whenOpen<NewDictionaryDialog>([this](NewDictionaryDialog &dialog) {
        QTableWidget *grid = child<QTableWidget>(dialog, "StringGrid1");
        EXPECT_EQ(grid->item(0, 1)->text(), U("    česky:"));
        EXPECT_EQ(grid->item(0, 2)->text(), U("    cizí jazyk:"));
        EXPECT_EQ(grid->item(1, 0)->text(), U("     1"));
        EXPECT_EQ(grid->item(499, 0)->text(), U("   499"));
        EXPECT_TRUE(dialog.isSaved());
        child<QLineEdit>(dialog, "Edit1")->setText(QStringLiteral("lekce 1"));
        grid->setItem(1, 1, new QTableWidgetItem(QStringLiteral("x")));
        dialog.accept();
    });
    program.prompts.answers = {false};
    child<QAction>(form(), "Nov1")->trigger();
    EXPECT_EQ(program.prompts.texts("confirm"),
              QStringList{U("Data dosud nejsou uložena. Uložit?")});

    program.whenOpen<NewDictionaryDialog>([](NewDictionaryDialog &dialog) {
        QTableWidget *grid = child<QTableWidget>(dialog, "StringGrid1");
        EXPECT_EQ(child<QLineEdit>(dialog, "Edit1")->text(), QStringLiteral("lekce 1"));
        EXPECT_EQ(grid->item(1, 1), nullptr) << "the rows are empty again";
        EXPECT_TRUE(dialog.isSaved());
        dialog.accept();
    });
    child<QAction>(form(), "Nov1")->trigger();
    EXPECT_EQ(program.prompts.texts("confirm").size(), 1) << "nothing typed, nothing asked";
    EXPECT_EQ(window->windowTitle(), U("Pořízení slovníku:"));
}

TEST_F(NewDictionaryTest, SavesTheThemeAndThePaddedPairs)
{
    start();
    program.prompts.saveNames = {program.path(QStringLiteral("novy.slv"))};
    program.whenOpen<NewDictionaryDialog>([this](NewDictionaryDialog &dialog) {
        QTableWidget *grid = child<QTableWidget>(dialog, "StringGrid1");
        child<QLineEdit>(dialog, "Edit1")->setText(QStringLiteral("lekce 1"));
        EXPECT_TRUE(dialog.isSaved()) << "the theme field does not count";
        type(grid, 1, 1, QStringLiteral("pes"));
        EXPECT_FALSE(dialog.isSaved());
        type(grid, 1, 2, QStringLiteral("der Hund"));
        type(grid, 2, 1, QStringLiteral("jen jedna strana"));
        type(grid, 3, 1, U("kůň  "));
        type(grid, 3, 2, QStringLiteral("s Pferd"));
        dialog.accept();
    });
    program.prompts.answers = {true};
    child<QAction>(form(), "Nov1")->trigger();
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("novy.slv"))),
              EncodeCp1250(U("* lekce 1\r\n") + padded("pes", 25) + "/" + padded("der Hund", 25)
                           + "\r\n" + padded("kůň", 25) + "/" + padded("s Pferd", 25) + "\r\n"));
    EXPECT_EQ(program.prompts.saveFilters, QStringList{U("slovník (*.slv)")});
    Vocabulary saved;
    ReadVocabularyFile(program.path(QStringLiteral("novy.slv")), saved);
    EXPECT_EQ(saved.theme, QStringLiteral("* lekce 1"));
    EXPECT_EQ(saved.count(), 2);
}

TEST_F(NewDictionaryTest, AFailedSaveKeepsTheDataUnsaved)
{
    start();
    auto *window = &program.app().newDictionaryDialog();
    window->clearGrid();
    child<QLineEdit>(*window, "Edit1")->setText(QStringLiteral("   "));
    QTableWidget *grid = child<QTableWidget>(*window, "StringGrid1");
    grid->item(1, 0); // row numbers are there
    type(grid, 1, 1, QStringLiteral("a"));
    type(grid, 1, 2, QStringLiteral("b"));
    program.prompts.saveNames = {program.path(QStringLiteral("no/dir/x.slv"))};
    window->save();
    EXPECT_FALSE(window->isSaved());
    EXPECT_EQ(program.prompts.texts("error").size(), 1);

    program.prompts.saveNames = {program.path(QStringLiteral("spaces.slv"))};
    window->save();
    EXPECT_TRUE(window->isSaved());
    EXPECT_TRUE(ReadBytes(program.path(QStringLiteral("spaces.slv"))).startsWith("*    \r\na "));

    // Cancelling the dialog changes nothing.
    type(grid, 2, 1, QStringLiteral("c"));
    window->save();
    EXPECT_FALSE(window->isSaved());
}

TEST(DictionaryList, ItemsCarryTheThemeOfTheFirstLine)
{
    EXPECT_EQ(DictionaryListItem(U("a.slv"), U(" *téma \t")), U("a.slv - téma"));
    EXPECT_EQ(DictionaryListItem(U("a.slv"), U("pes / r Hund")), U("a.slv"));
    EXPECT_EQ(DictionaryListItem(U("a.slv"), QString()), U("a.slv"));
    EXPECT_EQ(DictionaryListItem(U("a.slv"), U("*")), U("a.slv - "));
}

} // namespace

namespace {

// Saving from an editor over the current dictionary's file must not be undone by the later
// write-back of the old pairs: the current dictionary is read again from the saved file.
TEST_F(NewDictionaryTest, SavingOverTheCurrentDictionaryMakesTheSavedFileCurrent)
{
    program.writeFile(QStringLiteral("lekce.slv"), "stary / alt @ 9,9,9,9\r\n");
    start();
    loadCurrent("lekce.slv");
    program.prompts.saveNames = {program.path(QStringLiteral("lekce.slv"))};
    auto *window = &program.app().newDictionaryDialog();
    window->clearGrid();
    QTableWidget *grid = child<QTableWidget>(*window, "StringGrid1");
    type(grid, 1, 1, QStringLiteral("novy"));
    type(grid, 1, 2, QStringLiteral("neu"));
    window->save();
    EXPECT_EQ(context().dictionary.vocabulary().at(1).side[1], QStringLiteral("novy"));
    EXPECT_EQ(context().dictionary.vocabulary().path, program.path(QStringLiteral("lekce.slv")));

    ASSERT_TRUE(form().close());
    Vocabulary onDisk;
    ReadVocabularyFile(program.path(QStringLiteral("lekce.slv")), onDisk);
    ASSERT_EQ(onDisk.count(), 1);
    EXPECT_EQ(onDisk.at(1).side[2], QStringLiteral("neu"));
    EXPECT_EQ(onDisk.at(1).offers[1], 0);
}

TEST_F(DictionaryWindowsTest, SavingAnotherFileOverTheCurrentOneKeepsTheSavedPairs)
{
    program.writeFile(QStringLiteral("current.slv"), "pes / r Hund @ 4,0,0,0\r\n");
    program.writeFile(QStringLiteral("other.slv"), "okno / s Fenster\r\n");
    start();
    loadCurrent("current.slv");
    program.prompts.saveNames = {program.path(QStringLiteral("current.slv"))};
    chooseInSelection(QStringLiteral("other.slv"));
    program.whenOpen<DictionaryEditor>([](DictionaryEditor &editor) {
        child<QPushButton>(editor, "Button1")->click();
        editor.reject();
    });
    child<QAction>(form(), "Vbr1")->trigger();
    EXPECT_EQ(context().dictionary.vocabulary().at(1).side[1], QStringLiteral("okno"));
    ASSERT_TRUE(form().close());
    EXPECT_TRUE(ReadBytes(program.path(QStringLiteral("current.slv"))).startsWith("okno "));
}

// A dictionary in UTF-8 shows its theme in the list and its text in the current-dictionary
// window; Russian typed into the editor of a windows-1250 file makes that file UTF-8, said once.
TEST_F(DictionaryWindowsTest, DictionariesInAnyLanguage)
{
    WriteBytes(program.path(QStringLiteral("rustina.slv")),
               "\xEF\xBB\xBF" + U("*čeština-ruština\r\nkočka / кошка\r\n").toUtf8());
    program.writeFile(QStringLiteral("nemcina.slv"), "*němčina\r\npes / r Hund @ 2,0,1,0\r\n");
    start();
    auto *chooser = &program.app().dictionaryChooser();
    chooser->refresh();
    EXPECT_TRUE(items(*chooser).contains(U("rustina.slv - čeština-ruština")));

    loadCurrent("rustina.slv");
    EXPECT_EQ(child<QLineEdit>(form(), "Edit1")->text(), U("kočka"));
    QString shown;
    program.whenOpen<CurrentDictionaryDialog>([&](CurrentDictionaryDialog &dialog) {
        shown = child<QPlainTextEdit>(dialog, "Memo1")->toPlainText();
        dialog.reject();
    });
    child<QAction>(form(), "Ukaaktuln1")->trigger();
    EXPECT_EQ(shown, U("*čeština-ruština\nkočka / кошка"));

    program.prompts.saveNames = {program.path(QStringLiteral("nemcina.slv"))};
    chooseInSelection(QStringLiteral("nemcina.slv"));
    program.whenOpen<DictionaryEditor>([](DictionaryEditor &editor) {
        QTableWidget *grid = child<QTableWidget>(editor, "StringGrid1");
        grid->setItem(1, 0, new QTableWidgetItem(U("kočka")));
        grid->setItem(1, 1, new QTableWidgetItem(U("кошка")));
        child<QPushButton>(editor, "Button1")->click();
        editor.reject();
    });
    child<QAction>(form(), "Vbr1")->trigger();
    EXPECT_EQ(
        ReadBytes(program.path(QStringLiteral("nemcina.slv"))),
        "\xEF\xBB\xBF"
            + U("*němčina\r\npes   /   r Hund @    2,    0,    1,    0\r\nkočka   /   кошка\r\n")
                  .toUtf8());
    EXPECT_EQ(program.prompts.texts("notice").size(), 1);
    EXPECT_TRUE(program.prompts.texts("notice").first().contains(U("UTF-8")));
}

// A new dictionary is windows-1250 when every character fits, UTF-8 with a byte order mark
// otherwise.
TEST_F(NewDictionaryTest, ANewDictionaryInRussianIsUtf8)
{
    start();
    auto *window = &program.app().newDictionaryDialog();
    window->clearGrid();
    QTableWidget *grid = child<QTableWidget>(*window, "StringGrid1");
    type(grid, 1, 1, U("kočka"));
    type(grid, 1, 2, U("кошка"));
    program.prompts.saveNames = {program.path(QStringLiteral("rustina.slv")),
                                 program.path(QStringLiteral("cestina.slv"))};
    window->save();
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("rustina.slv"))),
              "\xEF\xBB\xBF" + (padded("kočka", 25) + "/" + padded("кошка", 25) + "\r\n").toUtf8());
    type(grid, 1, 2, U("kočička"));
    window->save();
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("cestina.slv"))),
              Cp1250("kočka                    /kočička                  \r\n"));
}

// Vocabulary of another program comes in through a new dictionary, which becomes current; the
// file it came from is never written. The current dictionary goes out the same way.
TEST_F(DictionaryWindowsTest, ImportAndExport)
{
    const QByteArray csv = U("pes;der Hund\nkočka;die Katze\nsám;\n").toUtf8();
    WriteBytes(program.path(QStringLiteral("slovicka.csv")), csv);
    start();
    program.prompts.openNames = {program.path(QStringLiteral("slovicka.csv"))};
    program.prompts.saveNames = {program.path(QStringLiteral("slovicka.slv"))};
    child<QAction>(form(), "Importovat1")->trigger();
    EXPECT_EQ(program.prompts.saveStarts,
              QStringList{program.path(QStringLiteral("slovicka.slv"))});
    EXPECT_EQ(context().dictionary.vocabulary().path, program.path(QStringLiteral("slovicka.slv")));
    EXPECT_EQ(context().dictionary.vocabulary().count(), 2);
    EXPECT_EQ(
        program.prompts.texts("notice"),
        QStringList{U("Načteno 2 dvojice, 1 řádek přeskočen:\nřádek 3: jedna strana je prázdná")});
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("slovicka.csv"))), csv);
    EXPECT_EQ(child<QAction>(form(), "Importovat1")->text(), U("&Importovat..."));
    EXPECT_EQ(child<QAction>(form(), "Exportovat1")->text(), U("E&xportovat..."));

    // Written over the file it comes from: refused.
    program.prompts.openNames = {program.path(QStringLiteral("slovicka.csv"))};
    program.prompts.saveNames = {program.path(QStringLiteral("slovicka.csv"))};
    child<QAction>(form(), "Importovat1")->trigger();
    EXPECT_EQ(program.prompts.texts("error").size(), 1);
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("slovicka.csv"))), csv);

    program.prompts.saveNames
        = {program.path(QStringLiteral("ven.tsv")), program.path(QStringLiteral("ven.kvtml"))};
    child<QAction>(form(), "Exportovat1")->trigger();
    child<QAction>(form(), "Exportovat1")->trigger();
    EXPECT_EQ(ReadBytes(program.path(QStringLiteral("ven.tsv"))),
              U("#separator:tab\n#html:false\n#columns:strana 1\tstrana 2\tkomentář 1\tkomentář 2\n"
                "pes\tder Hund\t\t\nkočka\tdie Katze\t\t\n")
                  .toUtf8());
    EXPECT_TRUE(
        ReadBytes(program.path(QStringLiteral("ven.kvtml"))).contains("<kvtml version=\"2.0\">"));
}

} // namespace
