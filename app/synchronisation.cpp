// The synchronised folder: its choice, the exchange of answers with the user's other
// computers, and the merge of the conflict copies of a dictionary changed on two of them.

#include "application.h"

#include "app_context.h"

#include "drill/drill_window.h"
#include "history/answer_log.h"
#include "history/folder_sync.h"
#include "history/log_exchange.h"
#include "history/progress_window.h"
#include "history/synced_dictionary.h"
#include "settings/settings_dialog.h"
#include "settings/sync_folder_dialog.h"
#include "vocabulary/conflict_copies.h"
#include "widgets/prompts.h"

#include "core/file_error.h"
#include "core/paths.h"
#include "core/text_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

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
    if (m_historyReady && !context.settings.syncFolder.isEmpty()) {
        // The history's schema is made by the drill's connection before the exchange's own
        // connection looks at it.
        context.history.ensureOpen();
        QString reason;
        const QString computer = ComputerId(QFileInfo(context.history.path()).path(), &reason);
        if (computer.isEmpty()) {
            context.prompts.notice(m_drillWindow.get(),
                                   Texts::tr("Synchronizace neběží: %1").arg(reason));
        } else {
            m_folderSync = std::make_unique<FolderSync>(
                context.history.path(), SyncPlace{context.settings.syncFolder, computer},
                DesiredRetention(context.settings));
            connect(m_folderSync.get(), &FolderSync::exchanged, this,
                    [this](int taken, int) { afterExchange(taken); });
            connect(m_folderSync.get(), &FolderSync::troubled, this,
                    [this](const QString &message) {
                        m_context->prompts.notice(m_drillWindow.get(), message);
                    });
            m_folderSync->exchangeSoon();
        }
    }
    if (m_progressWindow)
        m_progressWindow->setComputer(m_folderSync ? m_folderSync->place().computer : QString());
    watchDictionaryFolder();
}

void Application::syncSoon()
{
    if (m_folderSync)
        m_folderSync->exchangeSoon();
}

void Application::noteFileWritten(const QString &path, const QList<QByteArray> &bases,
                                  bool countsOwnAnswers)
{
    if (!m_folderSync || !isSynchronised(path))
        return;
    // The file as it is now: written a moment ago, the version the next write is made from.
    try {
        const QByteArray version = ContentVersion(ReadFileBytes(path));
        if (bases.contains(version))
            return; // saved as it was
        m_context->history.noteVersion({path, version, bases, countsOwnAnswers, 0, std::nullopt});
        syncSoon();
    } catch (const FileError &) {
        // Gone again already: whoever replaced it made a version of their own.
    }
}

bool Application::isSynchronised(const QString &path) const
{
    return IsInFolder(path, m_context->settings.syncFolder);
}

void Application::watchDictionaryFolder()
{
    delete std::exchange(m_dictionaryFolderWatch, nullptr);
    const QString path = m_context->dictionary.path();
    if (!m_folderSync || !isSynchronised(path))
        return;
    m_dictionaryFolderWatch = new QFileSystemWatcher({QFileInfo(path).path()}, this);
    connect(m_dictionaryFolderWatch, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!ConflictCopies(m_context->dictionary.path()).isEmpty())
            syncSoon();
    });
}

void Application::afterExchange(int taken)
{
    if (taken > 0)
        m_context->drill.historyChanged();
    mergeConflictCopies();
}

void Application::mergeConflictCopies()
{
    CurrentDictionary &dictionary = m_context->dictionary;
    const QString path = dictionary.path();
    if (!m_folderSync || !isSynchronised(path) || !dictionary.holdsLock())
        return;
    QStringList copies = ConflictCopies(path);
    copies.removeIf([this](const QString &copy) { return m_copiesLeft.contains(copy); });
    if (!copies.isEmpty()) {
        // The answers not in the file yet go there first, so that the version merged is one
        // that this computer's log names.
        if (dictionary.vocabulary().hasUnsavedAnswers()) {
            tellWriteBack(dictionary.writeBackAnswers());
            syncSoon();
            return;
        }
        for (const QString &copy : copies) {
            if (!mergeConflictCopy(copy))
                return;
        }
    }
    countOwedAnswers();
}

void Application::countOwedAnswers()
{
    const CopyMerge done = CountOwedAnswers(m_context->dictionary, m_context->history.database());
    if (done.outcome == CopyMerge::Outcome::Failed) {
        if (!m_owedFailureTold) {
            m_owedFailureTold = true;
            m_context->prompts.notice(
                m_drillWindow.get(),
                Texts::tr("Do slovníku %1 se zatím nepodařilo doplnit odpovědi z jiného "
                          "počítače: %2")
                    .arg(m_context->dictionary.path(), done.reason));
        }
        return;
    }
    if (done.outcome != CopyMerge::Outcome::Merged)
        return;
    m_owedFailureTold = false;
    syncSoon();
    m_context->prompts.notice(
        m_drillWindow.get(),
        Texts::tr("Dva počítače zapsaly slovník %1 stejně, každý se svými odpověďmi. Do slovníku "
                  "jsou teď doplněny odpovědi, které v něm chyběly: %2.")
            .arg(m_context->dictionary.path())
            .arg(done.merge.answersAdded));
}

bool Application::mergeConflictCopy(const QString &copyPath)
{
    const QString path = m_context->dictionary.path();
    const CopyMerge done
        = MergeConflictCopyByLogs(m_context->dictionary, m_context->history.database(), copyPath,
                                  QDateTime::currentMSecsSinceEpoch());
    // A copy that stays where it is is left alone for the rest of the run.
    const auto leave = [&](const QString &text) {
        m_copiesLeft.append(copyPath);
        m_context->prompts.notice(m_drillWindow.get(), text);
    };
    switch (done.outcome) {
    case CopyMerge::Outcome::Waiting:
        QTimer::singleShot(UnloggedVersionWaitMs, this, &Application::syncSoon);
        return false;
    case CopyMerge::Outcome::Unreadable:
        leave(Texts::tr("Kopii %1, kterou synchronizační program uložil vedle slovníku %2, "
                        "se nepodařilo přečíst, a tak zůstává, kde je: %3")
                  .arg(copyPath, path, done.reason));
        return true;
    case CopyMerge::Outcome::Failed:
        // Tried again with the next exchange; told once.
        if (!m_mergeFailuresTold.contains(copyPath)) {
            m_mergeFailuresTold.append(copyPath);
            m_context->prompts.notice(
                m_drillWindow.get(),
                Texts::tr("Kopii %1 slovníku %2 se zatím nepodařilo do slovníku sloučit, a "
                          "tak zůstává, kde je: %3")
                    .arg(copyPath, path, done.reason));
        }
        return false;
    case CopyMerge::Outcome::Merged:
        break;
    }
    syncSoon();
    QString text = Texts::tr("Slovník %1 se změnil na dvou počítačích zároveň a "
                             "synchronizační program uložil druhou verzi jako %2. Obě "
                             "verze jsou teď sloučeny: přidaných dvojic %3, doplněných "
                             "odpovědí %4.")
                       .arg(path, copyPath)
                       .arg(done.merge.pairsAdded)
                       .arg(done.merge.answersAdded);
    if (done.merge.pairsLeft > 0) {
        leave(text
              + Texts::tr(" Dvojic, které se do slovníku nevešly: %1; kopie proto zůstává.")
                    .arg(done.merge.pairsLeft));
        return true;
    }
    if (!QFile::remove(copyPath)) {
        leave(text + Texts::tr(" Kopii se nepodařilo smazat; smažte ji prosím sami."));
        return true;
    }
    m_context->prompts.notice(m_drillWindow.get(), text + Texts::tr(" Kopie je smazána."));
    return true;
}
