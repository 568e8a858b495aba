// The synchronised folder: its choice, and the sync of records with the user's other
// computers, whose counters go to the open dictionary. What comes in is told on the drill
// window's news line.

#include "application.h"

#include "app_context.h"

#include "drill/answer_keeper.h"
#include "drill/drill_window.h"
#include "history/progress_window.h"
#include "settings/settings_dialog.h"
#include "settings/sync_folder_dialog.h"
#include "sync/log_transfer.h"
#include "sync/synchronisation.h"
#include "widgets/prompts.h"

#include <QCoreApplication>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Synchronisation)
};

} // namespace

void Application::chooseSyncFolder()
{
    AppContext &context = *m_context;
    QWidget *parent = m_settingsDialog && m_settingsDialog->isVisible()
                          ? static_cast<QWidget *>(m_settingsDialog)
                          : m_drillWindow.get();
    SyncFolderDialog dialog(context.prompts, context.settings.syncFolder, SyncFolderProblem,
                            parent);
    if (dialog.exec() != QDialog::Accepted || dialog.folder() == context.settings.syncFolder)
        return;
    if (!runCommand([&] { WriteSyncFolder(dialog.folder(), context.dataDirectory); }))
        return;
    context.settings.syncFolder = dialog.folder();
    context.applySyncFolder();
    startSync();
}

void Application::startSync()
{
    AppContext &context = *m_context;
    m_sync->start(m_keeper->historyReady() ? context.settings.syncFolder : QString(),
                  MemoryModelOf(context.settings));
    m_keeper->setMergesAreNews(m_sync->isRunning());
    if (m_progressWindow)
        m_progressWindow->setComputer(m_sync->computer());
}

void Application::syncSoon()
{
    m_sync->soon();
}

void Application::tellNews(const QString &text)
{
    m_drillWindow->showNews(text);
}
