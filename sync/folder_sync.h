#pragma once

#include "log_transfer.h"
#include "shared_counters.h"

#include <QObject>
#include <QString>

#include <memory>

class QThread;

// Keeps this computer's history and the synchronised folder in step, on a thread of its own with
// a connection of its own, so that neither a slow folder nor a first read of many answers is
// something the drill waits for: a sync when asked (at start, after an answer), whenever a
// log in the folder changes, and again a while after one that could not reach the folder (an
// unmounted disk). After each, the counters of the dictionary in the folder that is open are
// computed from the records, there too. What goes wrong is told once.
class FolderSync : public QObject
{
    Q_OBJECT
public:
    // Stopping waits this long for a sync in a folder that does not answer; a thread still
    // in it after that is left to the end of the process.
    static constexpr int StopWaitMs = 3000;
    // A folder that could not be reached is tried again after this long.
    static constexpr int RetryMs = 30000;
    // Changes that come close together are taken in one sync.
    static constexpr int SettleMs = 200;

    FolderSync(QString historyPath, SyncPlace place, const MemoryModel &model,
               QObject *parent = nullptr);
    ~FolderSync() override;

    const SyncPlace &place() const { return m_place; }
    // The retention the cards are computed with.
    const MemoryModel &model() const { return m_model; }
    // A sync soon; returns its number: the counters computed after it (countersComputed)
    // know of everything the history held when it was asked for.
    quint64 syncSoon();
    // The dictionary whose counters are computed after each sync (empty: none).
    void followDictionary(const QString &path);

signals:
    // A sync is done: the cards of the answers taken may have changed.
    void synced(int taken, int computers);
    // The counters of the dictionary followed, after the sync of that number.
    void countersComputed(const QString &path, const DictionaryCounters &counters, quint64 round);
    void troubled(const QString &message);

private:
    class Worker;

    SyncPlace m_place;
    MemoryModel m_model;
    std::unique_ptr<QThread> m_thread;
    Worker *m_worker = nullptr; // lives on the thread, deleted there
    quint64 m_asked = 0;        // syncs asked for
};
