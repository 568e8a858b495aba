#include "application.h"

#include "about_box.h"
#include "app_context.h"
#include "help_window.h"

#include "drill/drill_window.h"
#include "sync/synchronisation.h"
#include "history/progress_window.h"
#include "settings/settings_dialog.h"
#include "statistics/report_window.h"
#include "vocabulary/current_dictionary_dialog.h"
#include "vocabulary/dictionary_chooser.h"
#include "vocabulary/dictionary_editor.h"
#include "vocabulary/new_dictionary_dialog.h"
#include "drill/speaker.h"

// The other windows, each built and connected the first time it is asked for, as children of
// the main window.

SettingsDialog &Application::settingsDialog()
{
    if (!m_settingsDialog) {
        AppContext &context = *m_context;
        m_settingsDialog = new SettingsDialog(
            context.settings, context.prompts, context.dataDirectory, context.history.path(),
            [this] { return chooseAndOpenDictionary(); }, m_drillWindow.get());
        connect(m_settingsDialog, &SettingsDialog::settingsChanged, &context.drill,
                &DrillSession::applySettings);
        connect(m_settingsDialog, &SettingsDialog::synchronisationRequested, this,
                &Application::chooseSyncFolder);
        // The sync computes cards with the model in force.
        connect(m_settingsDialog, &SettingsDialog::settingsChanged, this, [this] {
            if (m_sync->isRunning() && m_sync->model() != MemoryModelOf(m_context->settings))
                startSync();
        });
        connect(m_settingsDialog, &SettingsDialog::memoryModelChanged, this,
                &Application::followMemoryModel);
    }
    return *m_settingsDialog;
}

DictionaryEditor &Application::dictionaryEditor()
{
    if (!m_dictionaryEditor) {
        m_dictionaryEditor = new DictionaryEditor(
            m_context->prompts, m_context->dictionary.journal(), m_drillWindow.get());
        connect(m_dictionaryEditor, &DictionaryEditor::fileSaved, this,
                [this](const QString &path) { dictionaryFileSaved(path, false); });
    }
    return *m_dictionaryEditor;
}

NewDictionaryDialog &Application::newDictionaryDialog()
{
    if (!m_newDictionaryDialog) {
        m_newDictionaryDialog = new NewDictionaryDialog(
            m_context->prompts, m_context->dictionary.journal(), m_drillWindow.get());
        connect(m_newDictionaryDialog, &NewDictionaryDialog::fileSaved, this,
                [this](const QString &path) { dictionaryFileSaved(path, true); });
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

ProgressWindow &Application::progressWindow()
{
    if (!m_progressWindow) {
        m_progressWindow
            = new ProgressWindow(m_context->history, m_context->dictionary, m_context->settings,
                                 m_context->prompts, m_context->clock, m_drillWindow.get());
        if (m_sync->isRunning())
            m_progressWindow->setComputer(m_sync->computer());
    }
    return *m_progressWindow;
}

Speaker &Application::speaker()
{
    if (!m_speaker) {
        m_speaker = new Speaker(this);
        connect(m_speaker, &Speaker::problem, this, [this](const QString &message) {
            m_context->prompts.notice(m_drillWindow.get(), message);
        });
    }
    return *m_speaker;
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
