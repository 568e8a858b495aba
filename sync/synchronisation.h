#pragma once

#include "history/fsrs.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class CurrentDictionary;
class FolderSync;
class QFileSystemWatcher;
class ReviewHistory;
class SharedDictionary;

// The synchronised folder as the running program follows it: while a folder is named, a thread
// keeps this computer's history and the folder in step (FolderSync), the counters it computes go
// to the open dictionary (SharedDictionary), and that dictionary's folder is watched for the
// conflict copies a sync program leaves beside it.
class Synchronisation : public QObject
{
    Q_OBJECT
public:
    Synchronisation(CurrentDictionary &dictionary, ReviewHistory &history, SharedDictionary &shared,
                    QObject *parent = nullptr);
    ~Synchronisation() override;

    // Syncs (again) with `folder`, the cards computed with that retention; an empty folder
    // stops it. What keeps it from starting is told as news.
    void start(const QString &folder, const MemoryModel &model);
    // The last answers go to this computer's log, and the syncing ends.
    void stop();
    // Something changed here (an answer, an import): a sync round soon.
    void soon();
    bool isRunning() const { return m_folderSync != nullptr; }
    // This computer's name in the folder; empty while not syncing.
    QString computer() const;
    // The retention the running sync computes cards with.
    std::optional<MemoryModel> model() const;
    // Another dictionary became the current one: its counters are followed, and its folder
    // watched while it is in the synchronised folder.
    void followDictionary();

signals:
    void news(const QString &text);
    // Answers of other computers came: the cards may have changed.
    void answersTaken();

private:
    CurrentDictionary &m_dictionary;
    ReviewHistory &m_history;
    SharedDictionary &m_shared;
    std::unique_ptr<FolderSync> m_folderSync;
    QFileSystemWatcher *m_dictionaryFolderWatch = nullptr;
};
