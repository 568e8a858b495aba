#include "synchronisation.h"

#include "answer_log.h"
#include "conflict_copies.h"
#include "folder_sync.h"
#include "shared_dictionary.h"

#include "history/review_history.h"
#include "vocabulary/current_dictionary.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include <utility>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Synchronisation)
};

} // namespace

Synchronisation::Synchronisation(CurrentDictionary &dictionary, ReviewHistory &history,
                                 SharedDictionary &shared, QObject *parent)
    : QObject(parent)
    , m_dictionary(dictionary)
    , m_history(history)
    , m_shared(shared)
{}

Synchronisation::~Synchronisation() = default;

void Synchronisation::start(const QString &folder, const MemoryModel &model)
{
    m_folderSync.reset();
    m_shared.follow({}, {}, {});
    if (!folder.isEmpty()) {
        // The history's schema is made by the drill's connection before the sync's own
        // connection looks at it.
        m_history.ensureOpen();
        QString reason;
        const QString computer = ComputerId(QFileInfo(m_history.path()).path(), &reason);
        if (computer.isEmpty()) {
            emit news(Texts::tr("Synchronizace neběží: %1").arg(reason));
        } else {
            m_folderSync = std::make_unique<FolderSync>(m_history.path(),
                                                        SyncPlace{folder, computer}, model);
            connect(m_folderSync.get(), &FolderSync::synced, this, [this](int taken, int) {
                if (taken > 0)
                    emit answersTaken();
            });
            connect(m_folderSync.get(), &FolderSync::countersComputed, &m_shared,
                    &SharedDictionary::takeCounters);
            m_shared.follow(folder, computer,
                            [sync = m_folderSync.get()] { return sync->syncSoon(); });
            connect(m_folderSync.get(), &FolderSync::troubled, this, &Synchronisation::news);
        }
    }
    followDictionary();
    if (m_folderSync)
        m_folderSync->syncSoon();
}

void Synchronisation::stop()
{
    m_folderSync.reset();
}

void Synchronisation::soon()
{
    m_shared.syncSoon();
}

QString Synchronisation::computer() const
{
    return m_folderSync ? m_folderSync->place().computer : QString();
}

std::optional<MemoryModel> Synchronisation::model() const
{
    return m_folderSync ? std::optional(m_folderSync->model()) : std::nullopt;
}

void Synchronisation::followDictionary()
{
    delete std::exchange(m_dictionaryFolderWatch, nullptr);
    const QString path = m_dictionary.path();
    if (m_folderSync)
        m_folderSync->followDictionary(path);
    if (!m_shared.isSynchronised(path))
        return;
    m_dictionaryFolderWatch = new QFileSystemWatcher({QFileInfo(path).path()}, this);
    connect(m_dictionaryFolderWatch, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!ConflictCopies(m_dictionary.path()).isEmpty())
            soon();
    });
}
