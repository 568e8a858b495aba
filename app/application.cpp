#include "application.h"

#include "about_box.h"
#include "app_context.h"
#include "help_window.h"
#include "termination_watch.h"

#include "drill/drill_window.h"
#include "settings/settings_dialog.h"
#include "statistics/report_window.h"
#include "statistics/reports.h"
#include "vocabulary/current_dictionary_dialog.h"
#include "vocabulary/dictionary_chooser.h"
#include "vocabulary/dictionary_editor.h"
#include "vocabulary/exchange.h"
#include "vocabulary/new_dictionary_dialog.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"
#include "widgets/prompts.h"
#include "widgets/run_command.h"
#include "widgets/screen_place.h"

#include "core/file_error.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenuBar>
#include <QPixmap>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTranslator>

Application::Application(Prompts &prompts, const QString &executablePath)
    : m_context(std::make_unique<AppContext>(prompts, executablePath))
    , m_drillWindow(std::make_unique<DrillWindow>(m_context->drill, prompts))
{
    buildMenu();
    m_drillWindow->installEventFilter(this);
    connect(m_drillWindow.get(), &DrillWindow::answerCounted, this, &Application::saveAnswers);
}

Application::~Application() = default;

bool Application::runCommand(const std::function<void()> &command)
{
    return RunCommand(m_context->prompts, m_drillWindow.get(), command);
}

// ---- the main menu ----

QMenu *Application::addMenu(QMenu *parent, const char *name, const QString &text)
{
    QMenu *menu = parent ? parent->addMenu(text) : m_drillWindow->menuBar()->addMenu(text);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

void Application::addCommand(QMenu *menu, const char *name, const QString &text,
                             void (Application::*command)(), const QKeySequence &shortcut)
{
    QAction *action = menu ? menu->addAction(text) : m_drillWindow->menuBar()->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    // Whatever window or message the command opened, the drill has the keyboard afterwards.
    connect(action, &QAction::triggered, this, [this, command] {
        runCommand([this, command] { (this->*command)(); });
        if (m_drillWindow->isVisible())
            m_drillWindow->takeBackFocus();
    });
}

void Application::buildMenu()
{
    m_drillWindow->menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    const auto separator = [](QMenu *menu, const char *name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };

    QMenu *file = addMenu(nullptr, "Soubor1", QStringLiteral("&Soubor"));
    addCommand(file, "Nati1", QStringLiteral("&Načti"), &Application::loadDictionary,
               QKeySequence(Qt::Key_F3));
    addCommand(file, "Importovat1", QStringLiteral("&Importovat..."),
               &Application::importDictionary, {});
    addCommand(file, "Exportovat1", QStringLiteral("E&xportovat..."),
               &Application::exportDictionary, {});
    separator(file, "N1");
    QMenu *edit = addMenu(file, "Edituj1", QStringLiteral("&Edituj"));
    addCommand(edit, "Nov1", QStringLiteral("&Nový"), &Application::newDictionary, {});
    addCommand(edit, "Vbr1", QStringLiteral("&Výběr ..."), &Application::editDictionary, {});
    addCommand(file, "Ukaaktuln1", QStringLiteral("Ukaž aktuální"),
               &Application::showCurrentDictionary, {});
    separator(file, "N5");
    addCommand(file, "Konec1", QStringLiteral("&Konec"), &Application::quit,
               QKeySequence(Qt::ALT | Qt::Key_X));

    QMenu *statistics = addMenu(nullptr, "Statistika1", QStringLiteral("S&tatistika"));
    addCommand(statistics, "etnosti1", QStringLiteral("Č&etnosti"), &Application::showOfferReport,
               {});
    addCommand(statistics, "Chybovosti1", QStringLiteral("&Chybovosti"),
               &Application::showErrorReport, {});
    separator(statistics, "N3");
    QMenu *reset = addMenu(statistics, "Vynulovat1", QStringLiteral("&Vynulovat"));
    QMenu *internal = addMenu(reset, "Intern1", QStringLiteral("&Interní"));
    addCommand(internal, "etnosti2", QStringLiteral("Č&etnosti"), &Application::resetOfferCounters,
               {});
    addCommand(internal, "Chybovosti2", QStringLiteral("&Chybovosti"),
               &Application::resetErrorCounters, {});
    separator(internal, "N4");
    addCommand(internal, "Vechny1", QStringLiteral("&Všechny"), &Application::resetAllCounters, {});
    addCommand(reset, "Aktuln1", QStringLiteral("&Aktuální"), &Application::resetDrillCounters, {});

    addCommand(nullptr, "Volby1", QStringLiteral("&Volby"), &Application::showSettings, {});

    QMenu *help = addMenu(nullptr, "Help1", QStringLiteral("&Help"));
    addCommand(help, "Help2", QStringLiteral("&Help"), &Application::showHelp, {});
    separator(help, "N2");
    addCommand(help, "Oaplikaci1", QStringLiteral("&O aplikaci"), &Application::showAbout, {});
}

// ---- start-up, loading and the end ----

void Application::start()
{
    m_drillWindow->show();
    // With its frame known, the window is kept wholly inside the screen.
    KeepOnScreen(m_drillWindow.get());
    startUp();
}

void Application::startUp()
{
    AppContext &context = *m_context;
    context.programDirectory = ProgramDirectory(context.executablePath);
    context.dataDirectory
        = ChooseDataDirectory(context.programDirectory,
                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    const QString open = ReadSettings(context.settings, context.dataDirectory);
    applySettingsEffects();
    if (!open.isEmpty())
        runCommand([this, open] { openDictionary(open); });
}

// What the settings window does when its options change, done once for the options read.
void Application::applySettingsEffects()
{
    const Settings &settings = m_context->settings;
    if (settings.sideChoice != SideChoice::AtRandom)
        m_context->drill.setOfferedSide(int(settings.sideChoice) + 1);
    m_drillWindow->setCriterionPanelVisible(CriterionPanelVisible(settings));
    if (!settings.showPicture)
        m_drillWindow->hidePicture();
}

void Application::openDictionary(const QString &fileName)
{
    AppContext &context = *m_context;
    writeBackBeforeLeaving();
    // Another copy of the program that has the file open is told of; both copies' answers
    // are added together when they write it, so going on loses nothing.
    const QString path = ResolvedPath(fileName);
    const DictionaryLock::Result locked = m_lock.lock(path);
    if (locked == DictionaryLock::Result::HeldElsewhere
        && !context.prompts.confirm(m_drillWindow.get(),
                                    QStringLiteral("Slovník %1 je už otevřen v jiné kopii "
                                                   "programu Merko.\nPokud ho otevřete i zde, "
                                                   "odpovědi z obou kopií se při ukládání "
                                                   "sečtou. Otevřít ho?")
                                        .arg(path)))
        return;
    try {
        ReadCurrentVocabulary(context.vocabulary, fileName);
    } catch (const FileError &) {
        // The dictionary that stays current keeps its lock.
        if (!context.vocabulary.path.isEmpty())
            m_lock.lock(context.vocabulary.path);
        throw;
    }
    if (locked != DictionaryLock::Result::Locked)
        m_lock.unlock();
    m_mergeTold = false;
    m_saveFailureTold = false;
    if (context.vocabulary.count() > 0) {
        m_drillWindow->offerNextPair();
        const DrillState &drill = context.drill.state();
        if (qint64(drill.correctCount) + drill.wrongCount > 0
            && context.prompts.confirm(m_drillWindow.get(),
                                       QStringLiteral("Chcete vymazat aktuální statistiku?")))
            resetDrillCounters();
    } else {
        // No pair of the new dictionary is on screen: nothing can be answered or counted.
        m_drillWindow->clearPair();
    }
    m_drillWindow->showDictionaryCaption(VocabularyCaption(context.vocabulary));
}

QString Application::chooseDictionary()
{
    DictionaryChooser &chooser = dictionaryChooser();
    FitOnScreen(&chooser);
    if (chooser.exec() != QDialog::Accepted)
        return QString();
    return chooser.selectedPath();
}

void Application::loadDictionary()
{
    const QString chosen = chooseDictionary();
    if (chosen.isEmpty())
        return;
    m_context->settings.dictionaryPath = chosen;
    openDictionary(chosen);
}

bool Application::eventFilter(QObject *watched, QEvent *event)
{
    // The answers are written back before the main window closes; should that fail, the user
    // decides, and can always close.
    if (watched == m_drillWindow.get() && event->type() == QEvent::Close)
        writeBackBeforeLeaving();
    return QObject::eventFilter(watched, event);
}

QString Application::saveFailureText(const QString &reason) const
{
    // The system's reason continues the sentence.
    QString because = reason;
    if (!because.isEmpty() && because.at(1 < because.size() ? 1 : 0).isLower())
        because[0] = because.at(0).toLower();
    return QStringLiteral("Slovník %1 se nepodařilo uložit: %2.\nOdpovědi od posledního "
                          "uložení jsou zatím jen v paměti programu.")
        .arg(m_context->vocabulary.path, because);
}

void Application::writeBackBeforeLeaving()
{
    Vocabulary &vocabulary = m_context->vocabulary;
    Prompts &prompts = m_context->prompts;
    for (;;) {
        try {
            followWriteBack(SaveVocabulary(vocabulary));
            return;
        } catch (const FileError &error) {
            switch (prompts.writeFailed(m_drillWindow.get(), saveFailureText(error.message()))) {
            case WriteFailureChoice::Retry:
                break;
            case WriteFailureChoice::SaveElsewhere:
                if (saveElsewhere())
                    return;
                break;
            case WriteFailureChoice::Discard:
                // The user gave the answers up: nothing is left to write.
                vocabulary.markSaved();
                return;
            }
        }
    }
}

bool Application::saveElsewhere()
{
    Vocabulary &vocabulary = m_context->vocabulary;
    const QString target = m_context->prompts.saveFileName(
        m_drillWindow.get(), QFileInfo(vocabulary.path).absolutePath(),
        QStringLiteral("slovníky (*.slv)"), QStringLiteral("slv"));
    if (target.isEmpty())
        return false;
    const bool written = runCommand([&] {
        vocabulary.stamp = WriteFileSafely(target, FormatVocabularyFile(vocabulary));
        vocabulary.path = ResolvedPath(target);
        vocabulary.markSaved();
    });
    if (written)
        m_lock.lock(vocabulary.path);
    return written;
}

void Application::saveAnswers()
{
    try {
        followWriteBack(SaveVocabulary(m_context->vocabulary));
        m_saveFailureTold = false;
    } catch (const FileError &error) {
        // Told once: the next answers try again without a box each time.
        if (!m_saveFailureTold) {
            m_saveFailureTold = true;
            m_context->prompts.error(m_drillWindow.get(),
                                     saveFailureText(error.message())
                                         + QStringLiteral(" Program to zkusí znovu po každé další "
                                                          "odpovědi a při ukončení."));
        }
    }
}

void Application::followWriteBack(const WriteBack &result)
{
    if (result.becameUtf8)
        m_context->prompts.notice(m_drillWindow.get(),
                                  BecameUtf8Message(m_context->vocabulary.path));
    if (!result.merged)
        return;
    DrillSession &drill = m_context->drill;
    const bool hadPair = drill.hasPair();
    drill.followMovedPairs(result.newPositions);
    if (hadPair && !drill.hasPair())
        m_drillWindow->clearPair();
    m_drillWindow->showDictionaryCaption(VocabularyCaption(m_context->vocabulary));
    if (m_mergeTold && result.lostPairs == 0)
        return;
    m_mergeTold = true;
    QString text = QStringLiteral("Slovník %1 mezitím změnil jiný program nebo jiná kopie "
                                  "Merka. Vaše odpovědi byly přičteny ke statistice, kterou "
                                  "soubor obsahuje teď.")
                       .arg(m_context->vocabulary.path);
    if (result.lostPairs > 0)
        text += QStringLiteral("\nDvojic, na které jste odpovídali a které už v souboru nejsou: "
                               "%1; jejich odpovědi nebylo kam zapsat.")
                    .arg(result.lostPairs);
    m_context->prompts.notice(m_drillWindow.get(), text);
}

void Application::watchForTermination()
{
    IgnoreFileSizeSignal();
    auto *watch = new TerminationWatch(this);
    connect(watch, &TerminationWatch::terminationRequested, this, &Application::endSession);
    if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager &) { saveQuietly(); });
    }
}

bool Application::saveQuietly()
{
    try {
        SaveVocabulary(m_context->vocabulary);
        return true;
    } catch (const FileError &) {
        return false;
    }
}

void Application::endSession()
{
    // The system ends the program: no one may be there to answer a question.
    saveQuietly();
    m_context->vocabulary.markSaved();
    m_drillWindow->close();
    QCoreApplication::exit(0);
}

void Application::quit()
{
    if (m_context->prompts.confirm(m_drillWindow.get(), QStringLiteral("Chcete skutečně skončit?")))
        m_drillWindow->close();
}

// ---- vocabulary of other programs ----

void Application::importDictionary()
{
    Prompts &prompts = m_context->prompts;
    const QString source = prompts.openFileName(
        m_drillWindow.get(), QDir::currentPath(),
        QStringLiteral(
            "slovíčka jiných programů (*.kvtml *.tsv *.csv *.txt);;všechny soubory (*)"));
    if (source.isEmpty())
        return;
    const ImportResult result = ImportVocabulary(ReadFileBytes(source));
    if (result.pairs.isEmpty()) {
        prompts.error(m_drillWindow.get(),
                      QStringLiteral("Ze souboru %1 nešlo převzít žádnou dvojici.\n").arg(source)
                          + result.skipped.mid(0, 10).join(QLatin1Char('\n')));
        return;
    }
    if (result.pairs.size() > Vocabulary::Capacity
        && !prompts.confirm(m_drillWindow.get(),
                            QStringLiteral("Soubor obsahuje %1 dvojic, slovník jich pojme nejvýše "
                                           "%2. Zapsat prvních %2? Zbylých %3 bude vynecháno.")
                                .arg(result.pairs.size())
                                .arg(Vocabulary::Capacity)
                                .arg(result.pairs.size() - Vocabulary::Capacity)))
        return;
    const QFileInfo sourceFile(source);
    const QString target = prompts.saveFileName(
        m_drillWindow.get(),
        sourceFile.dir().filePath(sourceFile.completeBaseName() + QStringLiteral(".slv")),
        QStringLiteral("slovníky (*.slv)"), QStringLiteral("slv"));
    if (target.isEmpty())
        return;
    if (SameFile(target, source))
        throw FileError(QStringLiteral("Soubor %1, ze kterého se slovíčka berou, se nepřepisuje; "
                                       "zvolte pro slovník jiné jméno.")
                            .arg(source));
    // Windows-1250 when every character fits, UTF-8 with its byte order mark otherwise.
    const Vocabulary imported = DictionaryFromImport(result);
    WriteFileSafely(target, FormatVocabularyFile(imported));
    m_context->settings.dictionaryPath = ResolvedPath(target);
    openDictionary(target);
    prompts.notice(m_drillWindow.get(), ImportSummary(result, imported.count()));
}

void Application::exportDictionary()
{
    const Vocabulary &vocabulary = m_context->vocabulary;
    if (vocabulary.path.isEmpty() || vocabulary.count() == 0) {
        m_context->prompts.notice(m_drillWindow.get(), EmptyVocabularyMessage);
        return;
    }
    const QFileInfo current(vocabulary.path);
    const QString target = m_context->prompts.saveFileName(
        m_drillWindow.get(),
        current.dir().filePath(current.completeBaseName() + QStringLiteral(".kvtml")),
        QStringLiteral("KVTML (*.kvtml);;text oddělený tabulátory (*.tsv *.txt)"),
        QStringLiteral("kvtml"));
    if (target.isEmpty())
        return;
    const bool kvtml = !target.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive)
                       && !target.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
    WriteFileSafely(target, kvtml ? ExportKvtml(vocabulary) : ExportDelimited(vocabulary));
}

// ---- dictionary windows ----

void Application::newDictionary()
{
    FitOnScreen(&newDictionaryDialog());
    newDictionaryDialog().exec();
}

void Application::editDictionary()
{
    Vocabulary &vocabulary = m_context->vocabulary;
    Settings &settings = m_context->settings;
    const QString chosen = chooseDictionary();
    if (!chosen.isEmpty()) {
        settings.dictionaryPath = chosen;
        if (!vocabulary.path.isEmpty() && SameFile(chosen, vocabulary.path))
            writeBackBeforeLeaving();
        DictionaryEditor &editor = dictionaryEditor();
        FitOnScreen(&editor);
        OpenForEditing(vocabulary, chosen,
                       [&editor](const QString &path) { editor.openFile(path); });
        editor.exec();
    }
    // The current dictionary was set aside for the editor: read it again, edited or not.
    if (vocabulary.path.isEmpty() && !settings.dictionaryPath.isEmpty())
        openDictionary(settings.dictionaryPath);
}

void Application::dictionaryFileSaved(const QString &path)
{
    Vocabulary &vocabulary = m_context->vocabulary;
    if (vocabulary.path.isEmpty() || !SameFile(path, vocabulary.path))
        return;
    // Set aside first: the write-back that loading begins with would overwrite the new file.
    const QString current = vocabulary.path;
    vocabulary.path.clear();
    if (!runCommand([this, current] { openDictionary(current); }))
        vocabulary.path = current;
}

void Application::showCurrentDictionary()
{
    currentDictionaryDialog().showFile(m_context->vocabulary.path);
}

// ---- statistics ----

void Application::showOfferReport()
{
    if (m_context->vocabulary.count() > 0)
        reportWindow().showReport(BuildOfferReport(m_context->vocabulary), OfferReportTitle);
}

void Application::showErrorReport()
{
    if (m_context->vocabulary.count() > 0)
        reportWindow().showReport(BuildErrorReport(m_context->vocabulary), ErrorReportTitle);
}

void Application::resetStatistics(const QString &question, void (*reset)(Vocabulary &))
{
    if (m_context->vocabulary.count() == 0)
        return;
    if (m_context->prompts.confirm(m_drillWindow.get(),
                                   question + QStringLiteral("\nChcete to skutečně provést?"))) {
        reset(m_context->vocabulary);
        saveAnswers();
    }
}

void Application::resetOfferCounters()
{
    resetStatistics(QStringLiteral("Tímto se vymaže dosavadní statistika četnosti nabídky slov. "),
                    &ResetOffers);
}

void Application::resetErrorCounters()
{
    resetStatistics(QStringLiteral("Tímto se vymaže dosavadní statistika chybovosti slov. "),
                    &ResetErrors);
}

void Application::resetAllCounters()
{
    resetStatistics(QStringLiteral("Tímto se vymaže dosavadní statistika četnosti nabídky a "
                                   "chybovosti slov. "),
                    &ResetAllStatistics);
}

void Application::resetDrillCounters()
{
    m_context->drill.resetCounters();
    m_drillWindow->showCounters();
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

// ---- the other windows, built on first use ----

SettingsDialog &Application::settingsDialog()
{
    if (!m_settingsDialog) {
        AppContext &context = *m_context;
        m_settingsDialog = new SettingsDialog(context.settings, context.prompts,
                                              context.dataDirectory, m_drillWindow.get());
        DrillWindow *window = m_drillWindow.get();
        connect(m_settingsDialog, &SettingsDialog::offeredSideChosen, this,
                [&context](int side) { context.drill.setOfferedSide(side); });
        connect(m_settingsDialog, &SettingsDialog::criterionPanelVisibilityChanged, window,
                &DrillWindow::setCriterionPanelVisible);
        connect(m_settingsDialog, &SettingsDialog::pictureSwitchedOff, window,
                &DrillWindow::hidePicture);
        connect(m_settingsDialog, &SettingsDialog::chooseDictionaryRequested, this,
                [this] { runCommand([this] { loadDictionary(); }); });
    }
    return *m_settingsDialog;
}

DictionaryEditor &Application::dictionaryEditor()
{
    if (!m_dictionaryEditor) {
        m_dictionaryEditor = new DictionaryEditor(m_context->prompts, m_drillWindow.get());
        connect(m_dictionaryEditor, &DictionaryEditor::fileSaved, this,
                &Application::dictionaryFileSaved);
    }
    return *m_dictionaryEditor;
}

NewDictionaryDialog &Application::newDictionaryDialog()
{
    if (!m_newDictionaryDialog) {
        m_newDictionaryDialog = new NewDictionaryDialog(m_context->prompts, m_drillWindow.get());
        connect(m_newDictionaryDialog, &NewDictionaryDialog::fileSaved, this,
                &Application::dictionaryFileSaved);
    }
    return *m_newDictionaryDialog;
}

ReportWindow &Application::reportWindow()
{
    if (!m_reportWindow)
        m_reportWindow
            = new ReportWindow(m_context->prompts, m_context->dataDirectory, m_drillWindow.get());
    return *m_reportWindow;
}

DictionaryChooser &Application::dictionaryChooser()
{
    if (!m_dictionaryChooser)
        m_dictionaryChooser = new DictionaryChooser(m_context->prompts, m_context->programDirectory,
                                                    m_drillWindow.get());
    return *m_dictionaryChooser;
}

CurrentDictionaryDialog &Application::currentDictionaryDialog()
{
    if (!m_currentDictionaryDialog)
        m_currentDictionaryDialog
            = new CurrentDictionaryDialog(m_context->prompts, m_drillWindow.get());
    return *m_currentDictionaryDialog;
}

HelpWindow &Application::helpWindow()
{
    if (!m_helpWindow)
        m_helpWindow = new HelpWindow(m_drillWindow.get());
    return *m_helpWindow;
}

AboutBox &Application::aboutBox()
{
    if (!m_aboutBox)
        m_aboutBox = new AboutBox(m_drillWindow.get());
    return *m_aboutBox;
}

// ---- running the program ----

void InstallCzechTranslation(QApplication &application)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    auto *translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::Czech), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

int RunMerko(int argc, char *argv[], const std::function<void(DrillWindow &)> &beforeShow)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("merko"));
    // The format is named, so that the image is not offered to every image reader first.
    QApplication::setWindowIcon(QIcon(QPixmap(QStringLiteral(":/assets/merko.png"), "PNG")));
    InstallCzechTranslation(application);

    MessageBoxPrompts prompts;
    Application merko(prompts, QApplication::applicationFilePath());
    merko.watchForTermination();
    if (beforeShow)
        beforeShow(merko.drillWindow());
    merko.start();
    return application.exec();
}
