#pragma once

#include <QString>

#include <atomic>
#include <memory>

class QObject;
class QThread;

// Moves the answers from the history's write-ahead log into the database on a thread of its
// own, with a connection of its own. A checkpoint syncs the files, which on a slow disk takes
// long: it must never be what an answer waits for. Requests while one runs are one request.
class WalCheckpointer
{
public:
    // Stopping waits this long for a checkpoint on a slow disk; a thread still in the disk
    // after it is left to the end of the process.
    static constexpr int StopWaitMs = 3000;

    explicit WalCheckpointer(QString path);
    ~WalCheckpointer();
    WalCheckpointer(const WalCheckpointer &) = delete;
    WalCheckpointer &operator=(const WalCheckpointer &) = delete;

    void request();
    // Checkpoints done so far (for the measuring harness).
    int done() const { return m_done->load(); }

private:
    QString m_path;
    QString m_connection;
    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<QObject> m_context; // lives on the thread
    std::shared_ptr<std::atomic<bool>> m_running;
    std::shared_ptr<std::atomic<int>> m_done;
};
