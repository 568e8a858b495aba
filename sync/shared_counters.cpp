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

std::optional<DictionaryCounters> SharedCountersOf(QSqlDatabase db, const QString &dictionary,
                                                   QString *reason)
{
    const auto failed = [reason](const SqliteStatement &statement) {
        *reason = statement.error();
        return std::nullopt;
    };
    DictionaryCounters result;
    QHash<qint64, QList<PairSetting>> settings;
    SqliteStatement readSettings(db, QStringLiteral("SELECT pair, computer, seq, at_ms, offers1,"
                                                    " offers2, errors1, errors2, context, entering"
                                                    " FROM"
                                                    " counter_settings WHERE dictionary = ?"));
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
        setting.computer = QString::fromUtf8(readSettings.utf8(1));
        setting.seq = readSettings.integer(2);
        setting.atMs = readSettings.integer(3);
        for (int i = 0; i < 4; ++i)
            setting.counters[std::size_t(i)] = qint32(readSettings.integer(4 + i));
        setting.context = DecodedRecordSet(readSettings.utf8(8)).value_or(RecordSet());
        setting.entering = readSettings.integer(9) != 0;
        settings[readSettings.integer(0)].append(std::move(setting));
    }
    if (!readSettings.error().isEmpty())
        return failed(readSettings);
    // Each pair's setting in force, and the counters it starts from.
    QHash<qint64, const PairSetting *> inForce;
    QHash<qint64, Counters> counters;
    for (auto pair = settings.cbegin(); pair != settings.cend(); ++pair) {
        const PairSetting *setting = SettingInForce(*pair);
        inForce.insert(pair.key(), setting);
        counters.insert(pair.key(), setting->counters);
    }
    SqliteStatement readAnswers(db, QStringLiteral("SELECT pair, direction, grade, computer, seq"
                                                   " FROM answers WHERE dictionary = ?"));
    if (!readAnswers.isValid())
        return failed(readAnswers);
    readAnswers.bind(1, dictionary);
    // A log's answers come together: its computer's name is made once for them.
    QByteArray lastComputerBytes;
    QString lastComputer;
    while (readAnswers.nextRow()) {
        const qint64 pair = readAnswers.integer(0);
        const PairSetting *setting = inForce.value(pair, nullptr);
        if (setting && !readAnswers.isNull(4)) {
            const QByteArrayView computer = readAnswers.utf8(3);
            if (computer != lastComputerBytes) {
                lastComputerBytes = computer.toByteArray();
                lastComputer = QString::fromUtf8(lastComputerBytes);
            }
            if (HoldsRecord(setting->context, lastComputer, readAnswers.integer(4)))
                continue;
        }
        countAnswer(counters[pair], int(readAnswers.integer(1)),
                    Grade(readAnswers.integer(2)) == Grade::Again);
    }
    if (!readAnswers.error().isEmpty())
        return failed(readAnswers);
    SqliteStatement readPair(db, QStringLiteral("SELECT side1, comment1, side2, comment2 FROM"
                                                " pairs WHERE id = ?"));
    if (!readPair.isValid())
        return failed(readPair);
    result.pairs.reserve(counters.size());
    for (auto pair = counters.cbegin(); pair != counters.cend(); ++pair) {
        readPair.bind(1, pair.key());
        if (!readPair.nextRow())
            return failed(readPair);
        const PairText text{
            QString::fromUtf8(readPair.utf8(0)), QString::fromUtf8(readPair.utf8(1)),
            QString::fromUtf8(readPair.utf8(2)), QString::fromUtf8(readPair.utf8(3))};
        readPair.reset();
        result.pairs.insert(text, *pair);
    }
    return result;
}
