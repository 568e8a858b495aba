#pragma once

#include "history/review_history.h"

#include "core/number_ranges.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// The counters of a dictionary in the synchronised folder follow from the records of all the
// user's computers: for each pair, the counter setting in force (one that no other setting of
// the pair knew of; of several, the latest by time, then computer, then number), and every
// answer on the pair that it did not know of. Each answer is counted once, whatever order the
// records came in, so computers that have read the same records write the same counters.

// A counter setting of one pair, as the rule needs it.
struct PairSetting
{
    QString computer;
    qint64 seq = 0;
    qint64 atMs = 0;
    Counters counters{};
    RecordSet context;
    bool entering = false; // as the dictionary came into the folder
};

// An answer on one pair, as the rule needs it (no computer: given here and not numbered yet,
// which no setting knows of).
struct PairAnswer
{
    QString computer;
    qint64 seq = 0;
    int offeredSide = 1;
    bool wrong = false;
};

// The setting in force among a pair's settings; none when it has none.
const PairSetting *SettingInForce(const QList<PairSetting> &settings);
// A pair's counters by the rule.
Counters SharedPairCounters(const QList<PairSetting> &settings, const QList<PairAnswer> &answers);

// A dictionary's counters as the history holds its records.
struct DictionaryCounters
{
    // The pairs with a setting or an answer; every other pair's counters are 0.
    QHash<PairText, Counters> pairs;
    // It came into the synchronised folder with its counters (on some computer); until then
    // the file's counters stand.
    bool enrolled = false;
    // The sync that came before brought records of other computers.
    bool recordsCame = false;
    // What the history had read of the other computers: all that the counters hold of them.
    RecordSet read;
};
// `computer`: this computer's id; its records not numbered yet count as numbered next.
std::optional<DictionaryCounters> SharedCountersOf(QSqlDatabase db, const QString &dictionary,
                                                   const QString &computer, QString *reason);
