// The synchronised folder: its choice, the exchange of records with the user's other computers,
// the counters of the open dictionary as the records make them, and the conflict copies of a
// dictionary changed on two of them. What comes in is told on the drill window's news line.

#include "application.h"

#include "app_context.h"

#include "drill/drill_window.h"
#include "history/progress_window.h"
#include "settings/settings_dialog.h"
#include "settings/sync_folder_dialog.h"
#include "sync/answer_log.h"
#include "sync/conflict_copies.h"
#include "sync/folder_sync.h"
#include "sync/log_exchange.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"
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

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Synchronisation)
};

// Every pair's counters as they stand, set at `atMs` as the dictionary comes into the folder.
QList<CounterSetting> settingsOf(const Vocabulary &vocabulary, const QString &path, qint64 atMs)
{
    QList<CounterSetting> settings;
    QSet<QString> seen;
    for (const VocabularyEntry &entry : vocabulary.entries) {
        // A pair written twice has its counters in its first line.
        if (seen.contains(PairKey(entry)))
            continue;
        seen.insert(PairKey(entry));
        settings.append({atMs, path, PairTextOf(entry), CountersOf(entry), {}, true});
    }
    return settings;
}

// A pair as the history knows it, by the key the dictionary knows it by.
QString keyOf(const PairText &pair)
{
    VocabularyEntry entry;
    entry.side[1] = pair.side1;
    entry.comment[1] = pair.comment1;
    entry.side[2] = pair.side2;
    entry.comment[2] = pair.comment2;
    return PairKey(entry);
}

SharedCounters byPairKey(const QHash<PairText, Counters> &counters)
{
    SharedCounters shared;
    shared.reserve(counters.size());
    for (auto pair = counters.cbegin(); pair != counters.cend(); ++pair)
        shared.insert(keyOf(pair.key()), *pair);
    return shared;
}

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
    m_settingsAsked = 0;
    AppContext &context = *m_context;
    if (m_historyReady && !context.settings.syncFolder.isEmpty()) {
        // The history's schema is made by the drill's connection before the exchange's own
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
            connect(m_folderSync.get(), &FolderSync::exchanged, this,
                    [this](int taken, int) { afterExchange(taken); });
            connect(m_folderSync.get(), &FolderSync::countersComputed, this,
                    &Application::takeSharedCounters);
            connect(m_folderSync.get(), &FolderSync::troubled, this, &Application::tellNews);
            m_folderSync->followDictionary(context.dictionary.path());
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

void Application::tellNews(const QString &text)
{
    m_drillWindow->showNews(text);
}

bool Application::isSynchronised(const QString &path) const
{
    return IsInFolder(path, m_context->settings.syncFolder);
}

void Application::noteCountersSet(const QList<CounterSetting> &settings,
                                  const std::optional<SettingContext> &context)
{
    if (!m_folderSync || settings.isEmpty())
        return;
    m_context->history.noteSettings(settings, context);
    // Counters computed before these were noted would undo them: only those after count.
    m_settingsAsked = m_folderSync->exchangeSoon();
}

void Application::enrolFile(const QString &path)
{
    if (!m_folderSync || !isSynchronised(path))
        return;
    try {
        const QString full = ResolvedPath(path);
        const Vocabulary written = ParseVocabularyFile(ReadFileBytes(full), full);
        noteCountersSet(settingsOf(written, full, QDateTime::currentMSecsSinceEpoch()));
    } catch (const FileError &) {
        // Gone again already: whoever replaced it wrote a file of their own, taken as it comes.
    }
}

void Application::noteResetCounters(const Vocabulary &before)
{
    CurrentDictionary &dictionary = m_context->dictionary;
    if (!m_folderSync || !dictionary.isShared())
        return;
    QList<CounterSetting> settings;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const Vocabulary &after = dictionary.vocabulary();
    for (int i = 0; i < after.count() && i < before.count(); ++i) {
        if (CountersOf(after.entries.at(i)) != CountersOf(before.entries.at(i)))
            settings.append({now,
                             dictionary.path(),
                             PairTextOf(after.entries.at(i)),
                             CountersOf(after.entries.at(i)),
                             {}});
    }
    noteCountersSet(settings);
}

void Application::noteRenamedPairs(const QString &path)
{
    const std::optional<SettingContext> context = std::exchange(m_editorContext, std::nullopt);
    const QSet<QString> before = std::exchange(m_editorPairs, {});
    if (!m_folderSync || !isSynchronised(path) || !context)
        return;
    try {
        const Vocabulary saved = ParseVocabularyFile(ReadFileBytes(path), path);
        QList<CounterSetting> renamed;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (const CounterSetting &setting : settingsOf(saved, path, now)) {
            if (!before.contains(keyOf(setting.pair)) && setting.counters != Counters{}) {
                renamed.append(setting);
                renamed.last().entering = false;
            }
        }
        noteCountersSet(renamed, context);
    } catch (const FileError &) {
        // Replaced already by another writer, whose file is taken as it comes.
    }
}

void Application::watchDictionaryFolder()
{
    delete std::exchange(m_dictionaryFolderWatch, nullptr);
    const QString path = m_context->dictionary.path();
    if (m_folderSync)
        m_folderSync->followDictionary(path);
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
}

void Application::takeSharedCounters(const QString &path, const DictionaryCounters &counters,
                                     quint64 exchange)
{
    CurrentDictionary &dictionary = m_context->dictionary;
    // Counters computed before counters were set here know nothing of them.
    if (exchange < m_settingsAsked || path != dictionary.path() || !dictionary.holdsLock()
        || !dictionary.isShared())
        return;
    // The conflict copies that can be read; one that vanished was taken in by another computer.
    QList<Vocabulary> copies;
    QStringList copyPaths;
    for (const QString &copy : ConflictCopies(path)) {
        if (m_copiesLeft.contains(copy))
            continue;
        try {
            copies.append(ParseVocabularyFile(ReadFileBytes(copy), copy));
            copyPaths.append(copy);
        } catch (const FileError &error) {
            if (!QFileInfo::exists(copy))
                continue;
            m_copiesLeft.append(copy);
            tellNews(Texts::tr("Kopii %1, kterou synchronizační program uložil vedle slovníku %2, "
                               "se nepodařilo přečíst, a tak zůstává, kde je: %3")
                         .arg(copy, path, error.message()));
        }
    }
    SharedWrite written;
    try {
        written = dictionary.writeShared(
            counters.enrolled ? std::optional(byPairKey(counters.pairs)) : std::nullopt, copies);
    } catch (const FileError &error) {
        // Tried again after the next exchange; told once.
        const QString text = Texts::tr("Slovník %1 se zatím nepodařilo zapsat podle odpovědí "
                                       "ze všech počítačů: %2")
                                 .arg(path, error.message());
        if (text != m_sharedWriteTrouble)
            tellNews(text);
        m_sharedWriteTrouble = text;
        return;
    }
    m_sharedWriteTrouble.clear();
    if (!counters.enrolled) {
        // The dictionary comes into the synchronised folder with its counters as they stand.
        noteCountersSet(
            settingsOf(dictionary.vocabulary(), path, QDateTime::currentMSecsSinceEpoch()));
    } else if (written.countersReplaced && !counters.recordsCame
               && !m_countersReplacedTold.contains(path)) {
        m_countersReplacedTold.append(path);
        tellNews(Texts::tr("Četnosti a chybovosti slovníku %1 se lišily od odpovědí všech "
                           "počítačů (soubor byl změněn jinak než Merkem); ve synchronizované "
                           "složce se řídí odpověďmi všech počítačů.")
                     .arg(path));
    }
    takeInCopies(copyPaths, written);
}

void Application::takeInCopies(const QStringList &copyPaths, const SharedWrite &written)
{
    if (copyPaths.isEmpty())
        return;
    const QString path = m_context->dictionary.path();
    if (written.pairsLeft > 0) {
        m_copiesLeft += copyPaths;
        tellNews(Texts::tr("Kopie slovníku %1 od synchronizačního programu jsou sloučeny: "
                           "přidaných dvojic %2. Dvojic, které se do slovníku nevešly: %3; "
                           "kopie proto zůstávají.")
                     .arg(path)
                     .arg(written.pairsAdded)
                     .arg(written.pairsLeft));
        return;
    }
    QStringList kept;
    for (const QString &copy : copyPaths) {
        if (!QFile::remove(copy) && QFileInfo::exists(copy))
            kept.append(copy);
    }
    m_copiesLeft += kept;
    QString text = Texts::tr("Slovník %1 se změnil na dvou počítačích zároveň; kopie, které "
                             "synchronizační program uložil vedle něj, jsou sloučeny (přidaných "
                             "dvojic %2).")
                       .arg(path)
                       .arg(written.pairsAdded);
    if (!kept.isEmpty())
        text += Texts::tr(" Kopii se nepodařilo smazat; smažte ji prosím sami.");
    tellNews(text);
}
