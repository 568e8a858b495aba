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
    // Asks for an exchange with the folder soon and returns its number; the counters computed
    // after it know of everything the history held when it was asked for.
    using ExchangeSoon = std::function<quint64()>;

    // `clock` times the settings.
    SharedDictionary(CurrentDictionary &dictionary, ReviewHistory &history,
                     Clock clock = SystemClock(), QObject *parent = nullptr);

    // The folder is exchanged with through `exchangeSoon` (none: no folder, nothing is noted),
    // and the files in `folder` are shared. Forgets what was told and left.
    void follow(const QString &folder, ExchangeSoon exchangeSoon);
    bool isSynchronised(const QString &path) const;

    // A file written anew into the folder (an import, a new dictionary, the dictionary saved
    // there) comes with its counters as they stand.
    void enrolFile(const QString &path);
    // The counters of the current dictionary were reset from `before` (the same pairs).
    void noteResetCounters(const Vocabulary &before);
    // The editor opens `path`: what this computer knows now and the pairs the file has.
    void editorOpens(const QString &path);
    // The editor saved the file it opened: pairs of new text that keep counters (renamed)
    // take them, with what this computer knew when the editor opened the file.
    void noteRenamedPairs(const QString &path);
    // The counters of the dictionary at `path` as the records of all computers make them,
    // computed after the exchange of that number: the current dictionary's file is written
    // with them and the conflict copies' pairs (the copies then removed), or, for a dictionary
    // that comes into the folder, its counters are noted as they stand.
    void takeCounters(const QString &path, const DictionaryCounters &counters, quint64 exchange);

signals:
    void news(const QString &text);

private:
    void noteSettings(const QList<CounterSetting> &settings,
                      const std::optional<SettingContext> &context = std::nullopt);
    void takeInCopies(const QStringList &copyPaths, const SharedWrite &written);

    CurrentDictionary &m_dictionary;
    ReviewHistory &m_history;
    Clock m_clock;
    QString m_folder;
    ExchangeSoon m_exchangeSoon;
    quint64 m_settingsAsked = 0;        // the exchange asked for after counters were last set
    QStringList m_copiesLeft;           // conflict copies left where they are, told once
    QStringList m_countersReplacedTold; // dictionaries whose changed counters were told of
    QString m_writeTrouble;             // why the counters could not be written, told once
    // What this computer knew when the editor opened a file of the folder, and its pairs then.
    std::optional<SettingContext> m_editorContext;
    QSet<QString> m_editorPairs;
};
