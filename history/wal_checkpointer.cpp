#include "wal_checkpointer.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>

WalCheckpointer::WalCheckpointer(QString path)
    : m_path(std::move(path))
    , m_connection(QStringLiteral("checkpoint-") + QUuid::createUuid().toString(QUuid::Id128))
    , m_thread(std::make_unique<QThread>())
    , m_context(std::make_unique<QObject>())
    , m_running(std::make_shared<std::atomic<bool>>(false))
    , m_done(std::make_shared<std::atomic<int>>(0))
{
    m_thread->setObjectName(QStringLiteral("history checkpoint"));
    m_context->moveToThread(m_thread.get());
    m_thread->start();
}

WalCheckpointer::~WalCheckpointer()
{
    // The connection is closed on its own thread, after a checkpoint that runs.
    QMetaObject::invokeMethod(m_context.get(), [connection = m_connection] {
        if (!QSqlDatabase::contains(connection))
            return;
        QSqlDatabase::database(connection, false).close();
        QSqlDatabase::removeDatabase(connection);
    });
    m_thread->quit();
    if (m_thread->wait(QDeadlineTimer(StopWaitMs))) {
        m_context.reset();
        return;
    }
    // Stuck in a disk that does not answer: let go rather than keep the program from ending.
    static_cast<void>(m_context.release());
    static_cast<void>(m_thread.release());
}

void WalCheckpointer::request()
{
    if (m_running->exchange(true))
        return;
    // Everything the thread uses is its own: a thread let go must not outlive what it uses.
    QMetaObject::invokeMethod(m_context.get(), [path = m_path, connection = m_connection,
                                                running = m_running, done = m_done] {
        if (!QSqlDatabase::contains(connection)) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(path);
            // A copy that holds the lock makes this checkpoint wait for the next.
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
            db.open();
        }
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        if (db.isOpen() && QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)")))
            ++*done;
        running->store(false);
    });
}
