#pragma once

#include "history/clock.h"
#include "history/review_history.h"
#include "shared_counters.h"
#include "vocabulary/current_dictionary.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The open dictionary's part in the synchronised folder. The counters the user sets on a
// dictionary there (it comes into the folder, a reset, pairs renamed in the editor) go to this
// computer's history and log; the counters that the records of all computers make are written
// into its file, with the pairs of the conflict copies that a sync tool left beside it. What
// comes in or goes wrong is told by news(), never by a window that would take the drill's keys.
class SharedDictionary : public QObject
{
    Q_OBJECT
public:
    // Asks for a sync with the folder soon and returns its number; the counters computed
    // after it know of everything the history held when it was asked for.
    using SyncSoon = std::function<quint64()>;

    // `clock` times the settings.
    SharedDictionary(CurrentDictionary &dictionary, ReviewHistory &history,
                     Clock clock = SystemClock(), QObject *parent = nullptr);

    // The folder is synced with through `syncSoon` (none: no folder, nothing is noted),
    // the files in `folder` are shared, and this computer is `computer` there. Forgets what
    // was told and left.
    void follow(const QString &folder, const QString &computer, SyncSoon syncSoon);
    bool isSynchronised(const QString &path) const;
    // Something changed here (an answer was given, a dictionary opened): a sync soon.
    // Counters computed before it know nothing of the change and are not written.
    void syncSoon();

    // A file written anew into the folder (an import, a new dictionary, the dictionary saved
    // there) comes with its counters as they stand.
    void enrolFile(const QString &path);
    // The counters of the current dictionary were reset from `before` (the same pairs).
    void noteResetCounters(const Vocabulary &before);
    // The editor is to open `path`: the pairs the file has, and what their counters hold. The
    // open dictionary's file gets the counters of the records first, should it hold another
    // writer's (read since they were last written).
    void editorOpens(const QString &path);
    // The editor saved the file it opened: pairs of new text that keep counters (renamed)
    // take them, with what this computer knew when the editor opened the file.
    void noteRenamedPairs(const QString &path);
    // The counters of the dictionary at `path` as the records of all computers make them,
    // computed after the sync of that number: the current dictionary's file is written
    // with them and the conflict copies' pairs (the copies then removed), or, for a dictionary
    // that comes into the folder, its counters are noted as they stand.
    void takeCounters(const QString &path, const DictionaryCounters &counters, quint64 round);

signals:
    void news(const QString &text);

private:
    void noteSettings(const QList<CounterSetting> &settings,
                      const std::optional<SettingContext> &context = std::nullopt);
    void takeInCopies(const QStringList &copyPaths, const SharedWrite &written);
    // What the counters of the file at `path` hold: this computer's records up to now (its
    // answers are counted as they are given) and of the others what the counters last written
    // into the open dictionary's file had read.
    std::optional<SettingContext> contextOfFile(const QString &path);
    // Computes the records' counters of the open dictionary here and now, and writes them.
    void writeCountersNow();
    void writeCounters(const DictionaryCounters &counters, const QList<Vocabulary> &copies,
                       SharedWrite &written);

    CurrentDictionary &m_dictionary;
    ReviewHistory &m_history;
    Clock m_clock;
    QString m_folder;
    QString m_computer;
    SyncSoon m_syncSoon;
    quint64 m_lastAsked = 0;            // the sync asked for after the last change here
    QStringList m_copiesLeft;           // conflict copies left where they are, told once
    QStringList m_countersReplacedTold; // dictionaries whose changed counters were told of
    QString m_writeTrouble;             // why the counters could not be written, told once
    // The open dictionary as last written with the records' counters (empty: read since from
    // its file, which another writer may have written), and what they had read of the others.
    QString m_writtenPath;
    RecordSet m_writtenRead;
    bool m_writing = false;
    // What this computer knew when the editor opened a file of the folder, and its pairs then.
    std::optional<SettingContext> m_editorContext;
    QSet<QString> m_editorPairs;
};
