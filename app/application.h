#pragma once

#include "history/clock.h"
#include "history/review_history.h"
#include "vocabulary/current_dictionary.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class AboutBox;
class AnswerKeeper;
class CardReplay;
class CurrentDictionaryDialog;
class DictionaryChooser;
class DictionaryEditor;
class DrillWindow;
class Synchronisation;
class HelpWindow;
class NewDictionaryDialog;
class ProgressWindow;
class Prompts;
class QCoreApplication;
class QMenu;
class ReportWindow;
class Speaker;
class SettingsDialog;
struct AppContext;

// The running program: it owns the shared state and the main window, builds the main menu,
// carries out its commands and opens the other windows, each built when first needed.
class Application : public QObject
{
    Q_OBJECT
public:
    // `dataFolder`: where the answer history and the write journal (the new content of a
    // write-back until the file holds it) are kept; the user's data folder unless given.
    Application(Prompts &prompts, const QString &executablePath,
                const QString &dataFolder = QString(), Clock clock = SystemClock());
    ~Application() override;

    DrillWindow &drillWindow() { return *m_drillWindow; }
    AppContext &context() { return *m_context; }

    // Shows the main window and starts up at once: the settings are read and the dictionary
    // last chosen is loaded before the window is first painted, so that it opens with its
    // first pair. A message of the start-up appears over the shown window.
    // `file`, named on the command line, is opened (or imported) instead of the dictionary
    // last chosen; should that fail, the one last chosen is.
    void start(const QString &file = QString());
    // Makes the file the current dictionary and offers its first pair. Throws FileError.
    void openDictionary(const QString &fileName);
    // Runs a user command under the general error handler; true when it ran through.
    bool runCommand(const std::function<void()> &command);
    // Ended by a signal (SIGTERM, SIGHUP) or by the end of the desktop session, the program
    // saves the answers first; a write beyond the file size limit fails instead of killing it.
    void watchForTermination();
    // The system asks the program to end (a signal, the end of the desktop session): the
    // answers are written back without a question and the program ends.
    void endSession();
    // The system asked the program to end, perhaps while a question of the start was shown:
    // nothing more is to be done.
    bool isEnding() const { return m_ending; }

    // The commands of the main menu.
    void loadDictionary();
    void importDictionary();
    void exportDictionary();
    void newDictionary();
    void editDictionary();
    void showCurrentDictionary();
    void chooseLanguages();
    void quit();
    void showOfferReport();
    void showErrorReport();
    void showProgress();
    void resetOfferCounters();
    void resetErrorCounters();
    void resetAllCounters();
    void resetDrillCounters();
    void showSettings();
    void showHelp();
    void showAbout();
    // "Synchronizace..." of the settings: the folder shared with the user's other computers.
    void chooseSyncFolder();

    // The other windows, each built the first time it is asked for.
    SettingsDialog &settingsDialog();
    DictionaryEditor &dictionaryEditor();
    NewDictionaryDialog &newDictionaryDialog();
    ReportWindow &reportWindow();
    DictionaryChooser &dictionaryChooser();
    CurrentDictionaryDialog &currentDictionaryDialog();
    ProgressWindow &progressWindow();
    HelpWindow &helpWindow();
    Speaker &speaker();
    AboutBox &aboutBox();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startUp(const QString &file);
    // A file named on the command line: a dictionary is opened and remembered, a file of
    // another program imported. False when it could not be.
    bool openNamedFile(const QString &file);
    // The import of the chosen file of another program (an Anki package by its own steps);
    // false when the user gave it up.
    bool importFrom(const QString &source);
    // After the first paint: the answers of the finished writes are settled in the history,
    // and those that the dictionary did not get are restored.
    void catchUpWithHistory();
    void buildMenu();
    QMenu *addMenu(QMenu *parent, const char *name, const QString &text);
    void addCommand(QMenu *menu, const char *name, const QString &text,
                    void (Application::*command)(), const QKeySequence &shortcut);
    // The chosen file, or empty when the user cancelled the chooser.
    QString chooseDictionary();
    // The chooser's file is opened and remembered in the settings; the file, or empty.
    QString chooseAndOpenDictionary();
    void resetStatistics(const QString &question, void (*reset)(Vocabulary &));
    // An editor wrote this file (`madeAnew`: a new dictionary): when it is the current
    // dictionary's, the dictionary is read from it again instead of being written back over
    // it later.
    void dictionaryFileSaved(const QString &path, bool madeAnew);
    // At the end: the history writes what waited for its lock, or the user is told.
    void finishHistory();

    // The sync with the synchronised folder of the settings starts (again), or stops.
    void startSync();
    void syncSoon();
    // What came in from the other computers, or went wrong with the folder: on the news line.
    void tellNews(const QString &text);
    // The history's cards follow the memory model of the settings (once the history is ready).
    void followMemoryModel();
    void cardsReplayed(bool replayed, const QString &failure);
    // A ParametryFSRS that was refused is named, once.
    void tellRefusedWeights();

    std::unique_ptr<AppContext> m_context;
    bool m_awaitingFirstPaint = false;
    bool m_ending = false; // the system ends the program: nobody is asked anything
    std::unique_ptr<DrillWindow> m_drillWindow;
    std::unique_ptr<AnswerKeeper> m_keeper; // the answers' safety where it meets the user
    // Children of the main window, created on first use.
    SettingsDialog *m_settingsDialog = nullptr;
    DictionaryEditor *m_dictionaryEditor = nullptr;
    NewDictionaryDialog *m_newDictionaryDialog = nullptr;
    ReportWindow *m_reportWindow = nullptr;
    DictionaryChooser *m_dictionaryChooser = nullptr;
    CurrentDictionaryDialog *m_currentDictionaryDialog = nullptr;
    ProgressWindow *m_progressWindow = nullptr;
    HelpWindow *m_helpWindow = nullptr;
    Speaker *m_speaker = nullptr; // created when the first word is to be said
    AboutBox *m_aboutBox = nullptr;
    std::unique_ptr<Synchronisation> m_sync;  // the synchronised folder of the settings
    std::unique_ptr<CardReplay> m_cardReplay; // the cards brought to a changed model
};

// Makes the interface speak the language (a code of InterfaceLanguages()): the program's own
// texts, the toolkit's buttons and dialogs, and the locale of dates and numbers. Replaces the
// translation installed before, so that a test can switch back.
void InstallInterfaceTranslation(QCoreApplication &application, const QString &language);
// The data directory of the program run from that executable: where its settings are kept.
QString DataDirectoryOf(const QString &executablePath);
// Installs the language of a run of the program at that executable: the choice of its
// settings, or else the one the locale asks for. Returns the language's code.
QString InstallRunLanguage(QCoreApplication &application, const QString &executablePath);

// Runs the program: creates the main window, shows it and runs the event loop.
// `beforeShow` lets a measuring harness watch the main window; the program passes nothing.
// `merko --optimize`: fits the memory model to the user's history without a window, prints
// what came of it and keeps the weights when they predict better; the exit status.
int OptimiseFromCommandLine();
int RunMerko(int argc, char *argv[], const std::function<void(DrillWindow &)> &beforeShow = {});
