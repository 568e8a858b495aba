#include "app/about_box.h"
#include "app/application.h"
#include "app/help_window.h"
#include "drill/drill_window.h"
#include "exchange/anki_fields_dialog.h"
#include "history/progress_window.h"
#include "settings/settings_dialog.h"
#include "settings/sync_folder_dialog.h"
#include "statistics/report_window.h"
#include "statistics/reports.h"
#include "vocabulary/current_dictionary_dialog.h"
#include "vocabulary/dictionary_chooser.h"
#include "vocabulary/dictionary_editor.h"
#include "vocabulary/languages_dialog.h"
#include "vocabulary/new_dictionary_dialog.h"
#include "test_support.h"
#include "window_support.h"

#include <QAbstractButton>
#include <QAbstractFileIconProvider>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Every fixed text of a window as the user meets it: title, captions, buttons, group titles,
// list choices, menu commands and tips, one line each, named by the control that shows it.
QStringList ShownTexts(QWidget &window)
{
    QStringList lines;
    const auto add = [&lines](const QObject &object, const char *what, const QString &text) {
        if (!text.isEmpty())
            lines.append(QStringLiteral("%1 %2 %3")
                             .arg(object.objectName(), QLatin1String(what),
                                  QString(text).replace('\n', "\\n")));
    };
    add(window, "title", window.windowTitle());
    for (QObject *object : window.findChildren<QObject *>()) {
        if (auto *widget = qobject_cast<QWidget *>(object))
            add(*widget, "tip", widget->toolTip());
        if (auto *label = qobject_cast<QLabel *>(object))
            add(*label, "label", label->text());
        else if (auto *button = qobject_cast<QAbstractButton *>(object))
            add(*button, "button", button->text());
        else if (auto *group = qobject_cast<QGroupBox *>(object))
            add(*group, "group", group->title());
        else if (auto *combo = qobject_cast<QComboBox *>(object)) {
            for (int i = 0; i < combo->count(); ++i)
                add(*combo, "choice", combo->itemText(i));
        } else if (auto *menu = qobject_cast<QMenu *>(object)) {
            add(*menu, "menu", menu->title());
            for (QAction *action : menu->actions())
                add(*action, "command", action->text());
        }
    }
    return lines;
}

} // namespace

namespace {

// The texts of every window of a program started with a small dictionary, the program's own
// folder written as "<dir>", so that runs compare.
QStringList AllWindowTexts(RunningProgram &program)
{
    program.startWith("pes / r Hund @3,1,1,0\r\nokno / s Fenster @0,4,0,2\r\n");
    Application &app = program.app();
    QList<QWidget *> windows{
        &app.drillWindow(),         &app.settingsDialog(),    &app.dictionaryEditor(),
        &app.newDictionaryDialog(), &app.dictionaryChooser(), &app.currentDictionaryDialog(),
        &app.progressWindow(),      &app.aboutBox(),          &app.helpWindow()};
    // The dialogs that open on demand, made as their commands make them.
    AnkiNoteType type{1, QStringLiteral("Basic"), {"Front", "Back", "Note", "Extra"}, false};
    AnkiFieldsDialog ankiFields({{type, {1, 1, {"pes", "der Hund", "", ""}}}});
    LanguagesDialog languages;
    SyncFolderDialog syncFolder(program.prompts, QString(),
                                [](const QString &) { return QString(); });
    windows += {&ankiFields, &languages, &syncFolder};
    QStringList lines;
    for (QWidget *window : windows)
        lines += ShownTexts(*window);
    lines += {QStringLiteral("OfferReport title ") + OfferReportTitle(),
              QStringLiteral("ErrorReport title ") + ErrorReportTitle(),
              QStringLiteral("OfferReport heading ") + BuildOfferReport(Vocabulary()).first(),
              QStringLiteral("ErrorReport heading ") + BuildErrorReport(Vocabulary()).first()};
    lines.replaceInStrings(program.path(QString()), QStringLiteral("<dir>/"));
    return lines;
}

QStringList ReadLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

namespace {

// The locale of the environment for one test, as a desktop session sets it; the interface is
// Czech again after it.
class LocaleScope
{
public:
    explicit LocaleScope(const char *lang)
    {
        for (const char *name : Names) {
            m_saved.append(qgetenv(name));
            qunsetenv(name);
        }
        qputenv("LANG", lang);
    }
    ~LocaleScope()
    {
        for (int i = 0; i < int(std::size(Names)); ++i) {
            if (m_saved.at(i).isNull())
                qunsetenv(Names[i]);
            else
                qputenv(Names[i], m_saved.at(i));
        }
        InstallInterfaceTranslation(*qApp, QStringLiteral("cs"));
    }

private:
    static constexpr const char *Names[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    QList<QByteArray> m_saved;
};

bool HasCzechLetters(const QString &text)
{
    static const QRegularExpression czech(QStringLiteral("[áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ]"));
    return text.contains(czech);
}

} // namespace

TEST(InterfaceLanguage, CzechTextsAreThoseOfEveryEarlierVersion)
{
    const LocaleScope czech("cs_CZ.UTF-8");
    const QString golden = QStringLiteral(MERKO_SOURCE_DIR "/tests/data/czech_texts.txt");
    RunningProgram program;
    EXPECT_EQ(InstallRunLanguage(*qApp, program.path(QStringLiteral("merko"))),
              QStringLiteral("cs"));
    const QStringList texts = AllWindowTexts(program);
    if (qEnvironmentVariableIsSet("MERKO_RECORD_TEXTS")) {
        QFile file(golden);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((texts.join('\n') + '\n').toUtf8());
    }
    EXPECT_EQ(texts, ReadLines(golden));
}

TEST(InterfaceLanguage, AnEnglishLocaleGetsEveryWindowInEnglish)
{
    const LocaleScope english("en_US.UTF-8");
    RunningProgram program;
    EXPECT_EQ(InstallRunLanguage(*qApp, program.path(QStringLiteral("merko"))),
              QStringLiteral("en"));
    const QStringList texts = AllWindowTexts(program);
    // clang-format off
    for (const char *line : {
             "Form1 title Vocabulary drill",
             "Soubor1 menu &File",
             "Konec1 command &Quit",
             "Volby1 command &Options",
             "Button1 button next",
             "Form2 title Settings",
             "RadioGroup1Item3 button review schedule",
             "CheckBox6 button show where the answer differs",
             "InterfaceLanguage choice automatic",
             "ProgressWindow title Progress",
             "AboutBox title About Merko",
         })
        EXPECT_TRUE(texts.contains(QLatin1String(line))) << line;
    // clang-format on
    for (const QString &line : texts) {
        // The language list names each language in itself.
        if (!line.startsWith(QLatin1String("InterfaceLanguage choice")))
            EXPECT_FALSE(HasCzechLetters(line)) << qPrintable(line);
        // English titles read as titles; no doubled per cent signs of an old format string.
        const qsizetype title = line.indexOf(QLatin1String(" title "));
        if (title > 0) {
            const QString text = line.mid(title + 7);
            EXPECT_TRUE(text == text.trimmed() && !text.endsWith(':')) << qPrintable(line);
        }
        EXPECT_FALSE(line.contains(QLatin1String("%%"))) << qPrintable(line);
    }
    const QString help = child<QPlainTextEdit>(program.app().helpWindow(), "Memo1")->toPlainText();
    EXPECT_TRUE(help.startsWith(QLatin1String("The program is for memorising pairs of terms.")));
    // The English help has a section for each Czech one.
    const auto headings = [](const char *resource) {
        QFile file{QString::fromLatin1(resource)};
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << resource;
        QStringList found;
        for (const QString &line : QString::fromUtf8(file.readAll()).split('\n')) {
            if (line.size() > 3 && line == line.toUpper() && line.front().isLetter()
                && line.back().isLetter())
                found.append(line);
        }
        return found;
    };
    EXPECT_EQ(headings(":/assets/help_en.txt").size(), headings(":/assets/help.txt").size());
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), QStringLiteral("Yes"));
}

TEST(InterfaceLanguage, TheChoiceSavedInTheSettingsWinsAtTheNextStart)
{
    const LocaleScope czech("cs_CZ.UTF-8");
    RunningProgram program;
    program.startWith("pes / Hund\r\n");
    SettingsDialog &settings = program.app().settingsDialog();
    auto *choice = child<QComboBox>(settings, "InterfaceLanguage");
    choice->setCurrentIndex(choice->findText(QStringLiteral("English")));
    QTest::mouseClick(child<QPushButton>(settings, "Button2"), Qt::LeftButton);
    EXPECT_TRUE(ReadLines(program.path(QStringLiteral("Merko.ini"))).contains("Rozhrani=en\r"));
    EXPECT_EQ(InstallRunLanguage(*qApp, program.path(QStringLiteral("merko"))),
              QStringLiteral("en"));
    choice->setCurrentIndex(choice->findText(QStringLiteral("automaticky")));
    QTest::mouseClick(child<QPushButton>(settings, "Button2"), Qt::LeftButton);
    EXPECT_EQ(InstallRunLanguage(*qApp, program.path(QStringLiteral("merko"))),
              QStringLiteral("cs"));
}

TEST(InterfaceLanguage, TheFileDialogNamesAFolderInCzech)
{
    const LocaleScope czech("cs_CZ.UTF-8");
    InstallInterfaceTranslation(*qApp, QStringLiteral("cs"));
    const QTemporaryDir folder;
    EXPECT_EQ(QAbstractFileIconProvider().type(QFileInfo(folder.path())), U("Složka"));
    InstallInterfaceTranslation(*qApp, QStringLiteral("en"));
    EXPECT_EQ(QAbstractFileIconProvider().type(QFileInfo(folder.path())), U("Folder"));
}
