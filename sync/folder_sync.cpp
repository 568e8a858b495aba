#include "folder_sync.h"

#include "history/answer_import.h"

#include "core/paths.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileSystemWatcher>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <QUuid>

class FolderSync::Worker : public QObject
{
    Q_OBJECT
public:
    Worker(QString historyPath, SyncPlace place, const MemoryModel &model)
        : m_historyPath(std::move(historyPath))
        , m_place(std::move(place))
        , m_model(model)
        , m_connection(QStringLiteral("sync-") + QUuid::createUuid().toString(QUuid::Id128))
    {}

    ~Worker() override
    {
        if (!QSqlDatabase::contains(m_connection))
            return;
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }

    // On the thread: the timers and the watcher are its own.
    void begin()
    {
        m_settle = new QTimer(this);
        m_settle->setSingleShot(true);
        m_settle->setInterval(SettleMs);
        connect(m_settle, &QTimer::timeout, this, &Worker::round);
        m_retry = new QTimer(this);
        m_retry->setSingleShot(true);
        m_retry->setInterval(RetryMs);
        connect(m_retry, &QTimer::timeout, this, &Worker::round);
        m_watcher = new QFileSystemWatcher(this);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { soon(m_asked); });
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { soon(m_asked); });
    }

    // The last sync of the run, so that the answers of this session reach the log before
    // the user goes to another computer; then the thread ends.
    void last()
    {
        if (m_settle)
            round();
        QThread::currentThread()->quit();
    }

    void soon(quint64 asked)
    {
        m_asked = std::max(m_asked, asked);
        if (!m_settle->isActive())
            m_settle->start();
    }

    void follow(const QString &path)
    {
        m_dictionary = path;
        soon(m_asked);
    }

signals:
    void synced(int taken, int computers);
    void countersComputed(const QString &path, const DictionaryCounters &counters, quint64 round);
    void troubled(const QString &message);

private:
    // Only a history of this version's schema is written; the drill's history makes it.
    // Another one is closed again, so that the next sync looks at it anew.
    bool open() { return OpenHistoryConnection(m_connection, m_historyPath).isOpen(); }

    void round()
    {
        m_settle->stop();
        m_retry->stop();
        const quint64 asked = m_asked;
        if (!open()) {
            m_retry->start();
            return;
        }
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        const SyncRound done = SyncWithFolder(db, m_place, m_model);
        QStringList troubles = done.troubles;
        // Only once this computer's records are numbered do the counters say what they know.
        if (done.reached && IsInFolder(m_dictionary, m_place.folder)) {
            QString reason;
            auto counters = SharedCountersOf(db, m_dictionary, m_place.computer, &reason);
            if (!counters)
                troubles.append(tr("Historii odpovědí nelze číst: %1").arg(reason));
            else {
                counters->recordsCame = done.taken > 0;
                emit countersComputed(m_dictionary, *counters, asked);
            }
        }
        for (const QString &trouble : troubles) {
            if (!m_told.contains(trouble))
                emit troubled(trouble);
            m_told.insert(trouble);
        }
        // A folder that is not there is told as a trouble too.
        if (!troubles.isEmpty())
            m_retry->start();
        watch();
        emit synced(done.taken, done.computers);
    }

    // The log folder and every log in it; while there is no log folder, the folder itself.
    void watch()
    {
        QStringList wanted;
        const QDir logs(m_place.logFolder());
        if (logs.exists()) {
            wanted.append(logs.path());
            for (const QString &name : logs.entryList({QStringLiteral("*.log")}, QDir::Files)) {
                if (logs.filePath(name) != m_place.ownLog())
                    wanted.append(logs.filePath(name));
            }
        } else if (QDir(m_place.folder).exists()) {
            wanted.append(m_place.folder);
        }
        const QStringList watched = m_watcher->files() + m_watcher->directories();
        for (const QString &path : watched) {
            if (!wanted.contains(path))
                m_watcher->removePath(path);
        }
        for (const QString &path : wanted) {
            if (!watched.contains(path))
                m_watcher->addPath(path);
        }
    }

    QString m_historyPath;
    SyncPlace m_place;
    MemoryModel m_model;
    QString m_connection;
    QTimer *m_settle = nullptr;
    QTimer *m_retry = nullptr;
    QString m_dictionary;
    quint64 m_asked = 0;
    QFileSystemWatcher *m_watcher = nullptr;
    QSet<QString> m_told;
};

FolderSync::FolderSync(QString historyPath, SyncPlace place, const MemoryModel &model,
                       QObject *parent)
    : QObject(parent)
    , m_place(place)
    , m_model(model)
    , m_thread(std::make_unique<QThread>())
    , m_worker(new Worker(std::move(historyPath), std::move(place), model))
{
    m_thread->setObjectName(QStringLiteral("synchronised folder"));
    m_worker->moveToThread(m_thread.get());
    connect(m_worker, &Worker::synced, this, &FolderSync::synced);
    connect(m_worker, &Worker::troubled, this, &FolderSync::troubled);
    connect(m_worker, &Worker::countersComputed, this, &FolderSync::countersComputed);
    // The worker, its watcher and its connection end on their own thread, when it ends.
    connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, &Worker::begin);
}

FolderSync::~FolderSync()
{
    QMetaObject::invokeMethod(m_worker, &Worker::last);
    if (m_thread->wait(QDeadlineTimer(StopWaitMs)))
        return;
    // Stuck in a folder that does not answer: let go rather than keep the program from ending.
    static_cast<void>(m_thread.release());
}

quint64 FolderSync::syncSoon()
{
    const quint64 asked = ++m_asked;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, asked] { worker->soon(asked); });
    return asked;
}

void FolderSync::followDictionary(const QString &path)
{
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, path] { worker->follow(path); });
}

#include "folder_sync.moc"
