#include "app/about_box.h"
#include "app/application.h"
#include "app/help_window.h"
#include "drill/drill_window.h"
#include "history/progress_window.h"
#include "settings/settings_dialog.h"
#include "statistics/report_window.h"
#include "vocabulary/current_dictionary_dialog.h"
#include "vocabulary/dictionary_chooser.h"
#include "vocabulary/dictionary_editor.h"
#include "vocabulary/new_dictionary_dialog.h"
#include "window_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

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
    QStringList lines;
    for (QWidget *window : windows)
        lines += ShownTexts(*window);
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

TEST(InterfaceLanguage, CzechTextsAreThoseOfEveryEarlierVersion)
{
    const QString golden = QStringLiteral(MERKO_SOURCE_DIR "/tests/data/czech_texts.txt");
    RunningProgram program;
    const QStringList texts = AllWindowTexts(program);
    if (qEnvironmentVariableIsSet("MERKO_RECORD_TEXTS")) {
        QFile file(golden);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((texts.join('\n') + '\n').toUtf8());
    }
    EXPECT_EQ(texts, ReadLines(golden));
}
