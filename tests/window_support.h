#pragma once

#include "history/clock.h"
#include "widgets/prompts.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QObject>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

class Application;
class DrillWindow;
class QWidget;

// Answers every prompt as the test tells it and records what was asked.
class ScriptedPrompts : public Prompts
{
public:
    struct Asked
    {
        QString kind; // "confirm", "notice", "error" or "save"
        QString text;
        QString details = QString();
    };

    bool confirm(QWidget *parent, const QString &text) override;
    void notice(QWidget *parent, const QString &text) override;
    void error(QWidget *parent, const QString &text, const QString &details = QString()) override;
    QString saveFileName(QWidget *parent, const QString &start, const QString &filter,
                         const QString &defaultSuffix) override;
    WriteFailureChoice writeFailed(QWidget *parent, const QString &text) override;
    QString openFileName(QWidget *parent, const QString &directory, const QString &filter) override;
    QString folderName(QWidget *parent, const QString &start) override;

    QList<Asked> asked;
    QList<bool> answers;     // for confirm, in order; No once they run out
    QStringList saveNames;   // for the save dialog, in order; cancelled once they run out
    QStringList saveFilters; // what each save dialog offered
    QStringList saveSuffixes;
    QStringList saveStarts;  // where each save dialog started
    QStringList openNames;   // for the open dialog, in order; cancelled once they run out
    QStringList folderNames; // for the folder dialog, in order; cancelled once they run out
    // for a failed write-back, in order; Discard once they run out, so no test loops
    QList<WriteFailureChoice> writeChoices;

    QStringList texts(const QString &kind) const;
};

// A program started the way the user starts it, in a temporary program directory.
class RunningProgram
{
public:
    RunningProgram();
    ~RunningProgram();

    QString path(const QString &name) const;
    // Writes a windows-1250 file (given in UTF-8) into the program directory.
    void writeFile(const QString &name, const char *utf8) const;
    void writeSettings(const char *lines) const;
    // Creates the windows and shows the main window, which starts up. The executable's
    // name is relative to the program directory.
    void start(const QString &executable = QStringLiteral("merko"),
               const QString &commandLineFile = QString());
    // Settings that name the dictionary as the last one chosen, followed by `moreSettings`
    // (ini lines), then start.
    void startNaming(const QString &dictionaryPath, const char *moreSettings = "");
    // Writes the dictionary (windows-1250, given in UTF-8) into the program directory, then
    // starts with it as the last one chosen.
    void startWith(const char *dictionary, const char *moreSettings = "",
                   const QString &name = QStringLiteral("lekce.slv"));

    DrillWindow &form();
    Application &app() { return *m_application; }
    // The user closes the main window, and the program ends.
    void stop();
    // Types the answer to what is offered, Enter, and on to the next pair.
    void answer(const QString &typed);
    ScriptedPrompts prompts;
    Clock clock = SystemClock(); // the program's time, set before it starts

    // Runs `action` as soon as a modal dialog is open; the test's own step. A watch that
    // never sees its dialog ends with the program, so it cannot act in a later test.
    void whenModal(std::function<void()> action);
    // Runs `action` on the dialog of that class as soon as it is the open modal one.
    template<typename Dialog>
    void whenOpen(std::function<void(Dialog &)> action)
    {
        whenModalMatches([](QWidget *widget) { return qobject_cast<Dialog *>(widget) != nullptr; },
                         [action](QWidget *widget) { action(*qobject_cast<Dialog *>(widget)); });
    }

private:
    void whenModalMatches(std::function<bool(QWidget *)> matches,
                          std::function<void(QWidget *)> action);

    QTemporaryDir m_directory;
    QObject m_watches; // parent of the pending dialog watches
    QString m_workingDirectory;
    std::unique_ptr<Application> m_application;
};

// Stands in for the desktop's handler of web and mail addresses.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    UrlCatcher();
    ~UrlCatcher() override;
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

void ProcessEvents();
// Runs the event loop until the condition holds, for at most `ms`; whether it holds.
bool WaitFor(const std::function<bool()> &condition, int ms = 10000);

// The control of that name and class; a test that names a missing one fails loudly.
template<typename T>
T *child(QObject &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
    if (!found)
        throw std::runtime_error(std::string("no control ") + name);
    return found;
}
// The system's text for a missing file, as the user sees it (in Czech).
QString NoSuchFile();
// Types the text key by key into the widget, letters beyond ASCII included.
void TypeText(QWidget *widget, const QString &text);
