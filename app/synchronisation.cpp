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
#include "sync/conflict_copies.h"
#include "sync/folder_sync.h"
#include "sync/log_transfer.h"
#include "widgets/prompts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>

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
    m_folderSync.reset();
    AppContext &context = *m_context;
    context.shared.follow({}, {}, {});
    if (m_keeper->historyReady() && !context.settings.syncFolder.isEmpty()) {
        // The history's schema is made by the drill's connection before the sync's own
        // connection looks at it.
        context.history.ensureOpen();
        QString reason;
        const QString computer = ComputerId(QFileInfo(context.history.path()).path(), &reason);
        if (computer.isEmpty()) {
            tellNews(Texts::tr("Synchronizace neběží: %1").arg(reason));
        } else {
            m_folderSync = std::make_unique<FolderSync>(
                context.history.path(), SyncPlace{context.settings.syncFolder, computer},
                DesiredRetention(context.settings));
            connect(m_folderSync.get(), &FolderSync::synced, this,
                    [this](int taken, int) { afterSync(taken); });
            connect(m_folderSync.get(), &FolderSync::countersComputed, &context.shared,
                    &SharedDictionary::takeCounters);
            context.shared.follow(context.settings.syncFolder, computer,
                                  [sync = m_folderSync.get()] { return sync->syncSoon(); });
            connect(m_folderSync.get(), &FolderSync::troubled, this, &Application::tellNews);
            m_folderSync->followDictionary(context.dictionary.path());
            m_folderSync->syncSoon();
        }
    }
    m_keeper->setMergesAreNews(m_folderSync != nullptr);
    if (m_progressWindow)
        m_progressWindow->setComputer(m_folderSync ? m_folderSync->place().computer : QString());
    watchDictionaryFolder();
}

void Application::syncSoon()
{
    m_context->shared.syncSoon();
}

void Application::tellNews(const QString &text)
{
    m_drillWindow->showNews(text);
}

void Application::watchDictionaryFolder()
{
    delete std::exchange(m_dictionaryFolderWatch, nullptr);
    const QString path = m_context->dictionary.path();
    if (m_folderSync)
        m_folderSync->followDictionary(path);
    if (!m_context->shared.isSynchronised(path))
        return;
    m_dictionaryFolderWatch = new QFileSystemWatcher({QFileInfo(path).path()}, this);
    connect(m_dictionaryFolderWatch, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!ConflictCopies(m_context->dictionary.path()).isEmpty())
            syncSoon();
    });
}

void Application::afterSync(int taken)
{
    if (taken > 0)
        m_context->drill.historyChanged();
}
