#include "application.h"

#include "about_box.h"
#include "app_context.h"
#include "help_window.h"
#include "termination_watch.h"

#include "drill/answer_keeper.h"
#include "drill/drill_window.h"
#include "exchange/anki_package.h"
#include "sync/synchronisation.h"
#include "history/memory_fit.h"
#include "history/progress_window.h"
#include "settings/settings_dialog.h"
#include "statistics/report_window.h"
#include "statistics/reports.h"
#include "vocabulary/current_dictionary_dialog.h"
#include "vocabulary/dictionary_chooser.h"
#include "vocabulary/dictionary_editor.h"
#include "exchange/imported_pairs.h"
#include "vocabulary/new_dictionary_dialog.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"
#include "widgets/prompts.h"
#include "widgets/run_command.h"
#include "drill/speaker.h"
#include "widgets/screen_place.h"

#include "core/file_error.h"
#include "core/paths.h"
#include "core/text_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QFileInfo>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTimer>

#include <utility>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Application)
};

} // namespace

Application::Application(Prompts &prompts, const QString &executablePath, const QString &dataFolder,
                         Clock clock)
    : m_context(std::make_unique<AppContext>(
        prompts, executablePath,
        !dataFolder.isEmpty() ? dataFolder
                              : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
        std::move(clock)))
    , m_drillWindow(std::make_unique<DrillWindow>(m_context->drill, prompts))
    , m_keeper(std::make_unique<AnswerKeeper>(m_context->drill, m_context->dictionary,
                                              m_context->history, prompts, m_drillWindow.get()))
    , m_sync(std::make_unique<Synchronisation>(m_context->dictionary, m_context->history,
                                               m_context->shared))
    , m_cardReplay(std::make_unique<CardReplay>(m_context->history.path()))
{
    buildMenu();
    m_drillWindow->installEventFilter(this);
    // Saved into the synchronised folder, a dictionary comes there with its counters as they
    // stand.
    connect(m_keeper.get(), &AnswerKeeper::savedElsewhere, &m_context->shared,
            &SharedDictionary::enrolFile);
    connect(m_keeper.get(), &AnswerKeeper::news, this, &Application::tellNews);
    connect(m_cardReplay.get(), &CardReplay::finished, this, &Application::cardsReplayed);
    connect(
        &m_context->drill, &DrillSession::speak, this,
        [this](const QString &text, const QString &language) { speaker().say(text, language); });
    connect(&m_context->history, &ReviewHistory::troubled, this, [this](const QString &message) {
        m_context->prompts.notice(m_drillWindow.get(), message);
    });
    // With a synchronised folder, every answer goes to this computer's log soon.
    connect(&m_context->drill, &DrillSession::answerSaved, this, &Application::syncSoon);
    connect(&m_context->shared, &SharedDictionary::news, this, &Application::tellNews);
    connect(m_sync.get(), &Synchronisation::news, this, &Application::tellNews);
    connect(m_sync.get(), &Synchronisation::answersTaken, &m_context->drill,
            &DrillSession::historyChanged);
    connect(&m_context->dictionary, &CurrentDictionary::opened, this, [this] {
        m_sync->followDictionary();
        syncSoon();
    });
}

Application::~Application() = default;

bool Application::runCommand(const std::function<void()> &command)
{
    return RunCommand(m_context->prompts, m_drillWindow.get(), command);
}

// ---- start-up, loading and the end ----

void Application::start(const QString &file)
{
    m_drillWindow->show();
    // With its frame known, the window is kept wholly inside the screen.
    KeepOnScreen(m_drillWindow.get());
    startUp(file);
    // The history is opened once the window has been drawn (eventFilter), or after a second
    // should it never be.
    m_awaitingFirstPaint = true;
    QTimer::singleShot(1000, this, &Application::catchUpWithHistory);
}

void Application::catchUpWithHistory()
{
    if (m_keeper->historyReady())
        return;
    m_keeper->settleFinishedWrites();
    // The sync first, so that the answers restored are counted in the folder.
    startSync();
    m_keeper->restoreUnsavedAnswers();
    followMemoryModel();
}

void Application::startUp(const QString &file)
{
    AppContext &context = *m_context;
    context.programDirectory = ProgramDirectory(context.executablePath);
    context.dataDirectory = DataDirectoryOf(context.executablePath);
    m_keeper->finishInterruptedWrites();
    // A settings file that cannot be read is told of; the program goes on with the defaults.
    QString open;
    runCommand([&] { open = ReadSettings(context.settings, context.dataDirectory); });
    tellRefusedWeights();
    context.applySyncFolder();
    context.drill.applySettings();
    // Ended while a question about the file was shown: nothing else is opened.
    if (!file.isEmpty() && (openNamedFile(file) || m_ending))
        return;
    if (!open.isEmpty())
        runCommand([this, open] { openDictionary(open); });
}

bool Application::openNamedFile(const QString &file)
{
    if (IsImportableFile(file) || IsAnkiPackageFile(file)) {
        bool imported = false;
        runCommand([&] { imported = importFrom(file); });
        return imported;
    }
    // The message names the file: the system's reason alone would not say which one.
    const bool opened = runCommand([this, file] {
        if (const auto failure = FileFailureOf([&] { openDictionary(file); }))
            throw FileError(
                Texts::tr("Slovník %1 zadaný při spuštění nelze otevřít: %2.")
                    .arg(ResolvedPath(file), AnswerKeeper::continuingSentence(failure->message())));
    });
    if (opened)
        m_context->settings.dictionaryPath = ResolvedPath(file);
    return opened;
}

void Application::openDictionary(const QString &fileName)
{
    AppContext &context = *m_context;
    m_keeper->writeBackBeforeLeaving();
    using Sharing = CurrentDictionary::Sharing;
    if (!context.dictionary.open(fileName, Sharing::RespectOtherCopies).done()) {
        // Another copy of the program has the file open; both copies' answers are added
        // together when they write it, so going on loses nothing.
        if (!context.prompts.confirm(m_drillWindow.get(),
                                     Texts::tr("Slovník %1 je už otevřen v jiné kopii "
                                               "programu Merko.\nPokud ho otevřete i zde, "
                                               "odpovědi z obou kopií se při ukládání "
                                               "sečtou. Otevřít ho?")
                                         .arg(ResolvedPath(fileName))))
            return;
        context.dictionary.open(fileName, Sharing::ShareWithOtherCopies);
    }
    m_keeper->restoreUnsavedAnswers();
    if (context.drill.hasCountedAnswers()
        && context.prompts.confirm(m_drillWindow.get(),
                                   Texts::tr("Chcete vymazat aktuální statistiku?")))
        resetDrillCounters();
}

QString Application::chooseDictionary()
{
    DictionaryChooser &chooser = dictionaryChooser();
    FitOnScreen(&chooser);
    if (chooser.exec() != QDialog::Accepted)
        return QString();
    return chooser.selectedPath();
}

QString Application::chooseAndOpenDictionary()
{
    const QString chosen = chooseDictionary();
    if (!chosen.isEmpty()) {
        m_context->settings.dictionaryPath = chosen;
        runCommand([this, chosen] { openDictionary(chosen); });
    }
    return chosen;
}

void Application::loadDictionary()
{
    chooseAndOpenDictionary();
}

bool Application::eventFilter(QObject *watched, QEvent *event)
{
    // The answers are written back before the main window closes; should that fail, the user
    // decides, and can always close.
    if (watched == m_drillWindow.get() && event->type() == QEvent::Close) {
        m_keeper->writeBackBeforeLeaving();
        finishHistory();
    }
    // The window and its fields are painted in this one pass: the history waits until it has
    // ended and what it posted (the fields' own paints come after this one) has run.
    if (watched == m_drillWindow.get() && event->type() == QEvent::Paint && m_awaitingFirstPaint) {
        m_awaitingFirstPaint = false;
        QTimer::singleShot(
            0, this, [this] { QTimer::singleShot(0, this, &Application::catchUpWithHistory); });
    }
    return QObject::eventFilter(watched, event);
}

void Application::watchForTermination()
{
    IgnoreFileSizeSignal();
    auto *watch = new TerminationWatch(this);
    connect(watch, &TerminationWatch::terminationRequested, this, &Application::endSession);
    if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager &) { m_context->dictionary.writeBackBeforeLeaving(); });
    }
}

void Application::endSession()
{
    // The system ends the program: no one may be there to answer a question. Answers that
    // cannot be written stay unsettled in the history, which restores them at the next start.
    m_ending = true;
    m_context->dictionary.writeBackBeforeLeaving();
    m_context->dictionary.leaveAnswersToHistory();
    m_drillWindow->close();
    QCoreApplication::exit(0);
}

void Application::finishHistory()
{
    ReviewHistory &history = m_context->history;
    const int left = history.finish(m_ending ? 500 : 2000);
    // The last answers go to this computer's log before the user may go to another one.
    m_sync->stop();
    m_keeper->setMergesAreNews(false);
    if (left > 0 && !m_ending)
        m_context->prompts.notice(
            m_drillWindow.get(),
            Texts::tr("Historii odpovědí %1 má zamčenou jiný program, a tak se do ní "
                      "nezapsalo posledních odpovědí: %2. Ve statistice slovníku uloženy "
                      "jsou; v historii a plánu opakování chybějí.")
                .arg(history.path())
                .arg(left));
}

void Application::quit()
{
    if (m_context->prompts.confirm(m_drillWindow.get(), Texts::tr("Chcete skutečně skončit?")))
        m_drillWindow->close();
}

// ---- dictionary windows ----

void Application::newDictionary()
{
    FitOnScreen(&newDictionaryDialog());
    newDictionaryDialog().exec();
}

void Application::editDictionary()
{
    CurrentDictionary &dictionary = m_context->dictionary;
    Settings &settings = m_context->settings;
    const QString chosen = chooseDictionary();
    if (!chosen.isEmpty()) {
        settings.dictionaryPath = chosen;
        // A pair renamed in the editor keeps the counters it has as the editor opens the file.
        m_context->shared.editorOpens(ResolvedPath(chosen));
        if (dictionary.isFileOf(chosen))
            m_keeper->writeBackBeforeLeaving();
        const QString setAside = dictionary.setAsideFor(chosen);
        DictionaryEditor &editor = dictionaryEditor();
        FitOnScreen(&editor);
        if (!runCommand([&] { editor.openFile(ResolvedPath(chosen)); })) {
            dictionary.takeBack(setAside);
            return;
        }
        editor.exec();
    }
    // The current dictionary was set aside for the editor: read it again, edited or not.
    if (dictionary.path().isEmpty() && !settings.dictionaryPath.isEmpty())
        openDictionary(settings.dictionaryPath);
}

void Application::dictionaryFileSaved(const QString &path, bool madeAnew)
{
    if (madeAnew)
        m_context->shared.enrolFile(path);
    else
        m_context->shared.noteRenamedPairs(path);
    CurrentDictionary &dictionary = m_context->dictionary;
    // Set aside first: the write-back that loading begins with would overwrite the new file.
    const QString current = dictionary.setAsideFor(path);
    if (!current.isEmpty() && !runCommand([this, current] { openDictionary(current); }))
        dictionary.takeBack(current);
}

void Application::showCurrentDictionary()
{
    currentDictionaryDialog().showFile(m_context->dictionary.vocabulary().path);
}

// ---- statistics ----

void Application::showOfferReport()
{
    if (m_context->dictionary.vocabulary().count() > 0)
        reportWindow().showReport(BuildOfferReport(m_context->dictionary.vocabulary()),
                                  OfferReportTitle());
}

void Application::showProgress()
{
    FitOnScreen(&progressWindow());
    progressWindow().exec();
}

void Application::showErrorReport()
{
    if (m_context->dictionary.vocabulary().count() > 0)
        reportWindow().showReport(BuildErrorReport(m_context->dictionary.vocabulary()),
                                  ErrorReportTitle());
}

void Application::resetStatistics(const QString &question, void (*reset)(Vocabulary &))
{
    if (m_context->dictionary.vocabulary().count() == 0)
        return;
    if (m_context->prompts.confirm(m_drillWindow.get(),
                                   question + Texts::tr("\nChcete to skutečně provést?"))) {
        const Vocabulary before = m_context->dictionary.vocabulary();
        reset(m_context->dictionary.vocabulary());
        m_context->shared.noteResetCounters(before);
        m_keeper->tellWriteBack(m_context->dictionary.writeBackAnswers());
    }
}

void Application::resetOfferCounters()
{
    resetStatistics(Texts::tr("Tímto se vymaže dosavadní statistika četnosti nabídky slov. "),
                    &ResetOffers);
}

void Application::resetErrorCounters()
{
    resetStatistics(Texts::tr("Tímto se vymaže dosavadní statistika chybovosti slov. "),
                    &ResetErrors);
}

void Application::resetAllCounters()
{
    resetStatistics(Texts::tr("Tímto se vymaže dosavadní statistika četnosti nabídky a "
                              "chybovosti slov. "),
                    &ResetAllStatistics);
}

void Application::resetDrillCounters()
{
    m_context->drill.resetCounters();
}

// ---- settings, help and about ----

// The settings and the help window have places of their own, the about box the middle of
// the screen; each stays inside the screen.
void Application::showSettings()
{
    PlaceOnScreen(&settingsDialog(), QPoint(288, 66));
    settingsDialog().exec();
}

void Application::showHelp()
{
    PlaceOnScreen(&helpWindow(), QPoint(370, 192));
    helpWindow().exec();
}

void Application::showAbout()
{
    CentreOnScreen(&aboutBox());
    aboutBox().exec();
}
