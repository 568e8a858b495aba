#include "shared_counters.h"

#include "history/history_rows.h"
#include "history/sqlite_statement.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace {

void countOne(qint32 &counter)
{
    if (counter < std::numeric_limits<qint32>::max())
        ++counter;
}

// The counters of a pair: offers 1, offers 2, errors 1, errors 2.
void countAnswer(Counters &counters, int offeredSide, bool wrong)
{
    const std::size_t side = offeredSide == 2 ? 1 : 0;
    countOne(counters[side]);
    if (wrong)
        countOne(counters[2 + side]);
}

bool knows(const PairSetting &one, const PairSetting &other)
{
    return HoldsRecord(one.context, other.computer, other.seq);
}

} // namespace

const PairSetting *SettingInForce(const QList<PairSetting> &settings)
{
    const PairSetting *inForce = nullptr;
    for (const PairSetting &setting : settings) {
        // One that another setting knew of was set anew by that one.
        const bool known
            = std::any_of(settings.cbegin(), settings.cend(), [&](const PairSetting &other) {
                  return &other != &setting && knows(other, setting);
              });
        if (known)
            continue;
        // Of settings made without knowing of each other, the user's latest; of the counters
        // the dictionary came in with on several computers, the first, from which the other
        // computers' files came.
        if (!inForce || (inForce->entering && !setting.entering)) {
            inForce = &setting;
            continue;
        }
        if (setting.entering != inForce->entering)
            continue;
        const auto order = std::tie(setting.atMs, setting.computer, setting.seq);
        const auto other = std::tie(inForce->atMs, inForce->computer, inForce->seq);
        if (setting.entering ? order < other : order > other)
            inForce = &setting;
    }
    return inForce;
}

Counters SharedPairCounters(const QList<PairSetting> &settings, const QList<PairAnswer> &answers)
{
    const PairSetting *inForce = SettingInForce(settings);
    Counters counters = inForce ? inForce->counters : Counters{};
    for (const PairAnswer &answer : answers) {
        if (!inForce || !HoldsRecord(inForce->context, answer.computer, answer.seq))
            countAnswer(counters, answer.offeredSide, answer.wrong);
    }
    return counters;
}

namespace {

// A pair's settings, its text, and what it counts as the answers are read.
struct PairCount
{
    QList<PairSetting> settings;
    std::optional<PairText> text;
    const PairSetting *inForce = nullptr;
    Counters counters{};
};

QString textOf(const SqliteStatement &statement, int column)
{
    return QString::fromUtf8(statement.utf8(column));
}

} // namespace

std::optional<DictionaryCounters> SharedCountersOf(QSqlDatabase db, const QString &dictionary,
                                                   QString *reason)
{
    const auto failed = [reason](const SqliteStatement &statement) {
        *reason = statement.error();
        return std::nullopt;
    };
    DictionaryCounters result;
    QHash<qint64, PairCount> pairs;
    SqliteStatement readSettings(
        db, QStringLiteral("SELECT s.pair, s.computer, s.seq, s.at_ms, s.offers1, s.offers2,"
                           " s.errors1, s.errors2, s.context, s.entering, p.side1, p.comment1,"
                           " p.side2, p.comment2 FROM counter_settings s JOIN pairs p"
                           " ON p.id = s.pair WHERE s.dictionary = ?"));
    if (!readSettings.isValid())
        return failed(readSettings);
    readSettings.bind(1, dictionary);
    while (readSettings.nextRow()) {
        result.enrolled = true;
        if (readSettings.isNull(2)) {
            result.unnumbered = true;
            continue;
        }
        PairSetting setting;
        setting.computer = textOf(readSettings, 1);
        setting.seq = readSettings.integer(2);
        setting.atMs = readSettings.integer(3);
        for (int i = 0; i < 4; ++i)
            setting.counters[std::size_t(i)] = qint32(readSettings.integer(4 + i));
        setting.context = DecodedRecordSet(readSettings.utf8(8)).value_or(RecordSet());
        setting.entering = readSettings.integer(9) != 0;
        PairCount &pair = pairs[readSettings.integer(0)];
        if (!pair.text)
            pair.text = PairText{textOf(readSettings, 10), textOf(readSettings, 11),
                                 textOf(readSettings, 12), textOf(readSettings, 13)};
        pair.settings.append(std::move(setting));
    }
    if (!readSettings.error().isEmpty())
        return failed(readSettings);
    for (PairCount &pair : pairs) {
        pair.inForce = SettingInForce(pair.settings);
        if (pair.inForce)
            pair.counters = pair.inForce->counters;
    }

    // The answers come by pair, and a pair's by computer: what the setting in force knew of
    // that computer is looked up once for its run of answers.
    // The side offered and whether it was wrong in one column: each column read costs.
    SqliteStatement readAnswers(db, QStringLiteral("SELECT pair, computer, seq,"
                                                   " direction - 1 + 2 * (grade = 1)"
                                                   " FROM answers WHERE dictionary = ?"
                                                   " ORDER BY pair, computer, seq"));
    if (!readAnswers.isValid())
        return failed(readAnswers);
    readAnswers.bind(1, dictionary);
    PairCount *pair = nullptr;
    qint64 pairId = 0;
    QByteArray computer;
    const NumberRanges *known = nullptr;
    while (readAnswers.nextRow()) {
        if (!pair || readAnswers.integer(0) != pairId) {
            pairId = readAnswers.integer(0);
            pair = &pairs[pairId];
            computer.clear();
            known = nullptr;
        }
        const qint64 seq = readAnswers.integer(2); // 0: not numbered yet
        if (pair->inForce && seq > 0) {
            const QByteArrayView answerComputer = readAnswers.utf8(1);
            if (answerComputer != computer || computer.isEmpty()) {
                computer = answerComputer.toByteArray();
                const RecordSet &context = pair->inForce->context;
                const auto runs = context.constFind(QString::fromUtf8(computer));
                known = runs == context.cend() ? nullptr : &*runs;
            }
            if (known && known->contains(seq))
                continue;
        }
        const qint64 sideAndWrong = readAnswers.integer(3); // 0-1: right, 2-3: wrong
        countAnswer(pair->counters, int(sideAndWrong % 2) + 1, sideAndWrong >= 2);
    }
    if (!readAnswers.error().isEmpty())
        return failed(readAnswers);

    // Pairs answered in the dictionary but never set: their texts.
    SqliteStatement readPair(db, QStringLiteral("SELECT side1, comment1, side2, comment2 FROM"
                                                " pairs WHERE id = ?"));
    if (!readPair.isValid())
        return failed(readPair);
    result.pairs.reserve(pairs.size());
    for (auto counted = pairs.begin(); counted != pairs.end(); ++counted) {
        if (!counted->text) {
            readPair.bind(1, counted.key());
            if (!readPair.nextRow())
                return failed(readPair);
            counted->text = PairText{textOf(readPair, 0), textOf(readPair, 1), textOf(readPair, 2),
                                     textOf(readPair, 3)};
            readPair.reset();
        }
        result.pairs.insert(*counted->text, counted->counters);
    }
    return result;
}
