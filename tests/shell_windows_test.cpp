#include "app/about_box.h"
#include "app/app_context.h"
#include "app/application.h"
#include "app/help_window.h"
#include "drill/drill_window.h"
#include "settings/settings.h"
#include "settings/settings_dialog.h"
#include "statistics/report_window.h"
#include "test_support.h"
#include "vocabulary/current_dictionary_dialog.h"
#include "vocabulary/dictionary_editor.h"
#include "vocabulary/new_dictionary_dialog.h"
#include "vocabulary/dictionary_chooser.h"
#include "widgets/prompts.h"
#include "window_support.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ShellTest : public testing::Test
{
protected:
    void startWithExample()
    {
        program.startWith("pes / r Hund @3,1,1,0\r\nokno / s Fenster @0,4,0,2\r\n", "",
                          QStringLiteral("a.slv"));
    }
    DrillWindow &form() { return program.form(); }
    AppContext &context() { return program.app().context(); }
    void trigger(const char *action) { child<QAction>(form(), action)->trigger(); }
    QString reportFile() const { return program.path(QStringLiteral("Work.tmp")); }
    // Opens a report from the menu and returns what its window showed.
    QString showReport(const char *action, QString *title)
    {
        QString shown;
        program.whenOpen<ReportWindow>([&](ReportWindow &report) {
            shown = child<QPlainTextEdit>(report, "Memo1")->toPlainText();
            *title = report.windowTitle();
            child<QPushButton>(report, "Button1")->click();
        });
        trigger(action);
        return shown;
    }

    RunningProgram program;
};

TEST_F(ShellTest, TheOfferReportIsWrittenAndShown)
{
    startWithExample();
    QString title;
    const QString shown = showReport("etnosti1", &title);
    const QStringList lines{
        "slovo:                   nab.:  [ %%%% ]", "========================================",
        "pes                           3 [ 37.50]", "r Hund                        1 [ 12.50]",
        "okno                          0 [  0.00]", "s Fenster                     4 [ 50.00]"};
    EXPECT_EQ(title, U("Četnost výběru slov: "));
    EXPECT_EQ(shown, lines.join('\n'));
    EXPECT_EQ(ReadBytes(reportFile()), (lines.join("\r\n") + "\r\n").toLatin1());
}

// A report of a Russian dictionary is written in UTF-8 and shown as it is.
TEST_F(ShellTest, AReportInAnotherScript)
{
    WriteBytes(program.path(QStringLiteral("rustina.slv")),
               "\xEF\xBB\xBF" + U("kočka / кошка @ 1,3,0,0\r\n").toUtf8());
    program.startNaming(program.path(QStringLiteral("rustina.slv")));
    QString title;
    const QString shown = showReport("etnosti1", &title);
    EXPECT_TRUE(shown.contains(U("кошка                         3 [ 75.00]")))
        << shown.toStdString();
    const QByteArray written = ReadBytes(reportFile());
    EXPECT_TRUE(written.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(written.contains(U("кошка").toUtf8()));
}

TEST_F(ShellTest, TheErrorReportReplacesTheLastOne)
{
    startWithExample();
    QString title;
    showReport("etnosti1", &title);
    const QString shown = showReport("Chybovosti1", &title);
    EXPECT_EQ(title, U("Četnost chybovosti slov: "));
    EXPECT_TRUE(
        shown.startsWith(QStringLiteral("slovo:                   nab.:  chyb:  [ %%%% ]\n")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("s Fenster                     4     2 [ 50.00]")));
    EXPECT_TRUE(ReadBytes(reportFile()).contains("pes                           3     1 [ 33.33]"));
}

TEST_F(ShellTest, WithoutADictionaryReportsAndResetsDoNothing)
{
    program.start();
    for (const char *action : {"etnosti1", "Chybovosti1", "etnosti2", "Chybovosti2", "Vechny1"})
        trigger(action);
    EXPECT_TRUE(program.prompts.asked.isEmpty());
    EXPECT_FALSE(QFile::exists(reportFile()));

    trigger("Aktuln1");
    EXPECT_EQ(child<QLineEdit>(form(), "Edit3")->text(), U("     0"));
}

TEST_F(ShellTest, ResetsAskTheirTwoLineQuestionAndOnlyYesResets)
{
    startWithExample();
    const VocabularyEntry before = context().dictionary.vocabulary().at(1);
    program.prompts.answers = {false, false, false};
    trigger("etnosti2");
    trigger("Chybovosti2");
    trigger("Vechny1");
    EXPECT_EQ(program.prompts.texts("confirm"),
              (QStringList{U("Tímto se vymaže dosavadní statistika četnosti nabídky slov. \n"
                             "Chcete to skutečně provést?"),
                           U("Tímto se vymaže dosavadní statistika chybovosti slov. \n"
                             "Chcete to skutečně provést?"),
                           U("Tímto se vymaže dosavadní statistika četnosti nabídky a chybovosti "
                             "slov. \nChcete to skutečně provést?")}));
    EXPECT_EQ(context().dictionary.vocabulary().at(1), before);

    program.prompts.answers = {true};
    trigger("etnosti2");
    EXPECT_EQ(context().dictionary.vocabulary().at(1).offers[1], 0);
    EXPECT_EQ(context().dictionary.vocabulary().at(1).errors[1], 1);
    program.prompts.answers = {true};
    trigger("Vechny1");
    EXPECT_EQ(context().dictionary.vocabulary().at(2).errors[2], 0);
    QString title;
    const QString shown = showReport("etnosti1", &title);
    EXPECT_EQ(shown.count(QStringLiteral("[  0.00]")), 4);
}

TEST_F(ShellTest, AReportThatCannotBeWrittenShowsTheErrorAndNoWindow)
{
    startWithExample();
    context().dataDirectory = program.path(QStringLiteral("missing"));
    bool opened = false;
    program.whenOpen<ReportWindow>([&](ReportWindow &report) {
        opened = true;
        report.accept();
    });
    trigger("etnosti1");
    ProcessEvents();
    EXPECT_FALSE(opened);
    EXPECT_EQ(program.prompts.texts("error").size(), 1);
}

TEST_F(ShellTest, TheSettingsAndTheReportLiveWhereTheUserMayWrite)
{
    QTemporaryDir config;
    EXPECT_EQ(ChooseDataDirectory(program.path(QString()), config.path()), program.path(QString()));
    // Not even root may create files in /proc: an installed program's folder stands for it.
    const QString fallback = QDir(config.path()).filePath(QStringLiteral("merko"));
    EXPECT_EQ(ChooseDataDirectory(QStringLiteral("/proc"), fallback), fallback);
    EXPECT_TRUE(QDir(fallback).exists());

    program.start();
    EXPECT_EQ(context().dataDirectory, program.path(QString()));
    EXPECT_TRUE(QDir(program.path(QString())).entryList({"*.tmp"}, QDir::Files).isEmpty())
        << "the probe leaves nothing behind";
}

TEST_F(ShellTest, TheAboutBoxAnimatesWhileActiveAndOpensItsLinks)
{
    program.start();
    auto *about = &program.app().aboutBox();
    EXPECT_FALSE(about->isAnimating());
    program.whenOpen<AboutBox>([&](AboutBox &box) {
        box.activateWindow();
        ProcessEvents();
        EXPECT_TRUE(box.isAnimating());
        box.accept();
    });
    about->exec();
    EXPECT_FALSE(about->isAnimating());
    EXPECT_EQ(child<QLabel>(*about, "ProductName")->text(), U("Merko"));
    EXPECT_EQ(child<QLabel>(*about, "Version")->text(), U("verze 1.5"));
    EXPECT_EQ(child<QLabel>(*about, "Comments")->text(), U("Program pro zkoušení slovíček"));

    // Run from where it was built, neither label points anywhere: no placeholder address.
    UrlCatcher catcher;
    auto *web = child<LinkLabel>(*about, "ProUrlLabel1");
    auto *mail = child<LinkLabel>(*about, "ProUrlLabel2");
    EXPECT_EQ(web->text(), U("na stránky autora"));
    EXPECT_EQ(mail->text(), U("pošta autora"));
    QTest::mouseClick(web, Qt::LeftButton);
    QTest::mouseClick(mail, Qt::LeftButton);
    EXPECT_TRUE(catcher.opened.isEmpty()) << catcher.opened.value(0).toString().toStdString();
    EXPECT_NE(web->textColour(), QColor(Qt::blue)) << "a label without an address is no link";

    // Installed, the first opens the documentation installed beside the program.
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    EXPECT_TRUE(InstalledDocumentation(bin).isEmpty());
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("share/doc/merko")));
    const QUrl documentation = InstalledDocumentation(bin);
    EXPECT_EQ(documentation.toLocalFile(),
              QFileInfo(prefix.filePath(QStringLiteral("share/doc/merko"))).canonicalFilePath());

    LinkLabel link(U("na stránky autora"), documentation, nullptr);
    link.resize(130, 16);
    EXPECT_EQ(link.textColour(), QColor(Qt::blue));
    QTest::mousePress(&link, Qt::LeftButton);
    EXPECT_EQ(link.textColour(), QColor(Qt::red));
    QTest::mouseRelease(&link, Qt::LeftButton);
    EXPECT_EQ(link.textColour(), QColor(0, 0, 128));
    EXPECT_EQ(catcher.opened, (QList<QUrl>{documentation}));
}

TEST_F(ShellTest, EverySampleDictionaryLoadsWithoutAMessage)
{
    program.start();
    const QDir samples(QStringLiteral(MERKO_SOURCE_DIR "/dictionaries"));
    const QStringList files = samples.entryList({QStringLiteral("*.slv")}, QDir::Files);
    ASSERT_GE(files.size(), 4);
    for (const QString &file : files) {
        // A copy: loading another dictionary writes the previous one back.
        ASSERT_TRUE(QFile::copy(samples.filePath(file), program.path(file)));
        EXPECT_TRUE(
            program.app().runCommand([&] { program.app().openDictionary(program.path(file)); }));
        EXPECT_FALSE(context().dictionary.vocabulary().theme.isEmpty()) << file.toStdString();
        EXPECT_GE(context().dictionary.vocabulary().count(), 40) << file.toStdString();
        EXPECT_FALSE(child<QLineEdit>(form(), "Edit1")->text().isEmpty());
    }
    EXPECT_TRUE(program.prompts.asked.isEmpty());
}

TEST_F(ShellTest, AnInstalledProgramShowsItsSamplesToANewUser)
{
    QDir(program.path(QString())).mkpath(QStringLiteral("share/merko/dictionaries"));
    QDir(program.path(QString())).mkpath(QStringLiteral("bin"));
    QDir(program.path(QString())).mkpath(QStringLiteral("home"));
    program.writeFile(QStringLiteral("share/merko/dictionaries/ukazka.slv"),
                      "*ukázka\r\na / b\r\n");
    program.start(QStringLiteral("bin/merko"));
    QDir::setCurrent(program.path(QStringLiteral("home")));
    auto *selection = &program.app().dictionaryChooser();
    selection->refresh();
    const QString userFolder
        = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
              .filePath(QStringLiteral("dictionaries"));
    EXPECT_EQ(QDir::currentPath(), userFolder);
    EXPECT_TRUE(QFile::exists(QDir(userFolder).filePath(QStringLiteral("ukazka.slv"))));
    auto *list = child<QListWidget>(*selection, "ListBox1");
    EXPECT_FALSE(list->findItems(U("ukazka.slv - ukázka"), Qt::MatchExactly).isEmpty());
    QDir(userFolder).removeRecursively();
}

TEST_F(ShellTest, TheHelpTextHasItsSectionsInOrder)
{
    program.start();
    const QString help
        = child<QPlainTextEdit>(*&program.app().helpWindow(), "Memo1")->toPlainText();
    const QStringList lines = help.split('\n');
    EXPECT_GE(lines.size(), 120);
    EXPECT_LE(lines.size(), 400);
    EXPECT_EQ(lines.at(0), U("Program je určen k memorování dvojic pojmů."));
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("====")));
    qsizetype previous = 0;
    for (const char *heading :
         {"SLOVNÍKY:", "ZKOUŠENÍ", "NASTAVENÍ  NABÍDEK", "NASTAVENÍ  TESTU  SPRÁVNOSTI",
          "OSTATNÍ  NABÍDKY", "STATISTIKY", "HISTORIE  ODPOVĚDÍ", "OPAKOVÁNÍ  PODLE  PAMĚTI",
          "POKROK", "VÝSLOVNOST", "VÍCE  POČÍTAČŮ", "BALÍČKY  ANKI"}) {
        const qsizetype at = lines.indexOf(U(heading));
        EXPECT_GT(at, previous) << heading;
        previous = at;
    }
    // The figures the program really has.
    EXPECT_TRUE(help.contains(QStringLiteral("1000 dvojic")));
    EXPECT_TRUE(help.contains(QStringLiteral("25 znaků")));
    EXPECT_TRUE(help.contains(QStringLiteral("FSRS-6")));
}

} // namespace

// However long a message, its box stays on the screen with its button; what is cut from the
// text is behind the details, and the details given stay there.
TEST(MessageBoxes, AreNeverTallerThanTheScreen)
{
    QString report = QStringLiteral("*** in database main ***\n");
    for (int page = 3; page < 300; ++page)
        report += QStringLiteral("Page %1: btreeInitPage() returns error code 11\n").arg(page);
    // clang-format off
    const struct { QString text; QString details; bool cut; } rows[] = {
        {U("Soubor je poškozený."), QString(), false},
        {U("Soubor je poškozený."), report, false},
        {report, QString(), true},
        {QString(20000, QLatin1Char('x')), QString(), true},
    };
    // clang-format on
    const QScreen *screen = QGuiApplication::primaryScreen();
    for (const auto &row : rows) {
        int height = 0;
        QString shown;
        QString details;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            height = box->frameGeometry().height();
            shown = box->text();
            details = box->detailedText();
            box->accept();
        });
        watch.start(20);
        MessageBoxPrompts().error(nullptr, row.text, row.details);
        EXPECT_GT(height, 0);
        EXPECT_LE(height, screen->availableGeometry().height()) << row.text.size();
        EXPECT_EQ(shown != row.text, row.cut) << row.text.size();
        EXPECT_TRUE(details.contains(row.cut ? row.text : row.details)) << row.text.size();
    }
}
