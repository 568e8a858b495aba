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

// A pair's four texts in the columns from `first` on.
PairText pairTextAt(const SqliteStatement &statement, int first)
{
    return {textOf(statement, first), textOf(statement, first + 1), textOf(statement, first + 2),
            textOf(statement, first + 3)};
}

} // namespace

namespace {

// The numbers this computer's records that have none yet will get in its log, made in the
// order the log will have them: after every number given, its answers by when they were given,
// each setting after the answer it followed.
struct Provisional
{
    qint64 lastNumbered = 0;        // the highest number given
    QHash<qint64, qint64> answers;  // by answer id
    QHash<qint64, qint64> settings; // by setting id
};

std::optional<Provisional> provisionalNumbers(QSqlDatabase db, const QString &computer,
                                              QString *reason)
{
    Provisional numbers;
    // "seq IS NOT NULL" lets the partial indexes of numbered records answer.
    SqliteStatement last(db, QStringLiteral("SELECT max(coalesce((SELECT max(seq) FROM answers"
                                            " WHERE computer = ?1 AND seq IS NOT NULL), 0),"
                                            " coalesce((SELECT max(seq) FROM counter_settings"
                                            " WHERE computer = ?1 AND seq IS NOT NULL), 0))"));
    SqliteStatement answers(db, QStringLiteral("SELECT id FROM answers WHERE seq IS NULL"
                                               " ORDER BY id"));
    SqliteStatement settings(db, QStringLiteral("SELECT id, after_answer FROM counter_settings"
                                                " WHERE seq IS NULL ORDER BY id"));
    for (SqliteStatement *statement : {&last, &answers, &settings}) {
        if (!statement->isValid()) {
            *reason = statement->error();
            return std::nullopt;
        }
    }
    last.bind(1, computer);
    if (!last.nextRow()) {
        *reason = last.error();
        return std::nullopt;
    }
    numbers.lastNumbered = last.integer(0);
    QList<qint64> answerIds;
    while (answers.nextRow())
        answerIds.append(answers.integer(0));
    qint64 next = numbers.lastNumbered + 1;
    auto answer = answerIds.cbegin();
    while (settings.nextRow()) {
        for (; answer != answerIds.cend() && *answer <= settings.integer(1); ++answer)
            numbers.answers.insert(*answer, next++);
        numbers.settings.insert(settings.integer(0), next++);
    }
    for (; answer != answerIds.cend(); ++answer)
        numbers.answers.insert(*answer, next++);
    if (!answers.error().isEmpty() || !settings.error().isEmpty()) {
        *reason = answers.error().isEmpty() ? settings.error() : answers.error();
        return std::nullopt;
    }
    return numbers;
}

// The counter settings of the dictionary, by pair, each pair's setting in force and its
// counters as that setting left them. False, with the reason, when the history failed.
bool readCounterSettings(QSqlDatabase db, const QString &dictionary, const QString &computer,
                         const Provisional &provisional, QHash<qint64, PairCount> &pairs,
                         DictionaryCounters &result, QString *reason)
{
    SqliteStatement readSettings(
        db, QStringLiteral("SELECT s.pair, s.computer, s.seq, s.at_ms, s.offers1, s.offers2,"
                           " s.errors1, s.errors2, s.context, s.entering, p.side1, p.comment1,"
                           " p.side2, p.comment2, s.id FROM counter_settings s JOIN pairs p"
                           " ON p.id = s.pair WHERE s.dictionary = ?"));
    if (!readSettings.isValid()) {
        *reason = readSettings.error();
        return false;
    }
    readSettings.bind(1, dictionary);
    while (readSettings.nextRow()) {
        PairSetting setting;
        setting.context = DecodedRecordSet(readSettings.utf8(8)).value_or(RecordSet());
        if (readSettings.isNull(2)) {
            // It knows every record of this computer made before it.
            setting.computer = computer;
            setting.seq = provisional.settings.value(readSettings.integer(14));
            if (setting.seq > 1)
                setting.context[computer].insert(1, setting.seq - 1);
        } else {
            setting.computer = textOf(readSettings, 1);
            setting.seq = readSettings.integer(2);
        }
        setting.atMs = readSettings.integer(3);
        for (int i = 0; i < 4; ++i)
            setting.counters[std::size_t(i)] = qint32(readSettings.integer(4 + i));
        setting.entering = readSettings.integer(9) != 0;
        result.enrolled = result.enrolled || setting.entering;
        PairCount &pair = pairs[readSettings.integer(0)];
        if (!pair.text)
            pair.text = pairTextAt(readSettings, 10);
        pair.settings.append(std::move(setting));
    }
    if (!readSettings.error().isEmpty()) {
        *reason = readSettings.error();
        return false;
    }
    for (PairCount &pair : pairs) {
        pair.inForce = SettingInForce(pair.settings);
        if (pair.inForce)
            pair.counters = pair.inForce->counters;
    }
    return true;
}

// Counts one computer's answers that the setting in force of their pair did not know. They come
// by pair, and a pair's by number: what the setting knew of the computer is looked up once for
// the pair, and its runs of numbers are walked along with the answers.
class AnswerCount
{
public:
    AnswerCount(QHash<qint64, PairCount> &pairs, const QString &computer)
        : m_pairs(pairs)
        , m_computer(computer)
    {}

    void add(qint64 pairId, qint64 seq, qint64 direction, bool wrong)
    {
        if (!m_pair || pairId != m_pairId) {
            m_pairId = pairId;
            m_pair = &m_pairs[pairId];
            m_known = m_knownEnd = nullptr;
            if (m_pair->inForce) {
                const RecordSet &context = m_pair->inForce->context;
                const auto runs = context.constFind(m_computer);
                if (runs != context.cend()) {
                    m_known = runs->runs().cbegin();
                    m_knownEnd = runs->runs().cend();
                }
            }
        }
        while (m_known != m_knownEnd && m_known->last < seq)
            ++m_known;
        if (m_known == m_knownEnd || m_known->first > seq)
            countAnswer(m_pair->counters, int(direction), wrong);
    }

private:
    QHash<qint64, PairCount> &m_pairs;
    QString m_computer;
    PairCount *m_pair = nullptr;
    qint64 m_pairId = 0;
    // The runs of the computer's records that the setting in force knew, from the first that
    // may hold the next answer on.
    const NumberRanges::Run *m_known = nullptr;
    const NumberRanges::Run *m_knownEnd = nullptr;
};

// Adds every answer of the dictionary that the setting in force of its pair did not know.
bool countAnswers(QSqlDatabase db, const QString &dictionary, const QString &computer,
                  const Provisional &provisional, QHash<qint64, PairCount> &pairs, QString *reason)
{
    // The computers that answered in the dictionary, one look into its index each; then each
    // one's answers in one run of the index, whose columns are all that is read (each column
    // read costs). This computer's answers not numbered yet are few, and count by the numbers
    // they will get; the "+" keeps the dictionary's index away from their query.
    SqliteStatement nextComputer(db, QStringLiteral("SELECT min(computer) FROM answers WHERE"
                                                    " dictionary = ?1 AND computer > ?2"));
    SqliteStatement numbered(db, QStringLiteral("SELECT pair, seq, direction, grade FROM answers"
                                                " WHERE dictionary = ? AND computer = ?"
                                                " ORDER BY pair, seq"));
    SqliteStatement unnumbered(db, QStringLiteral("SELECT pair, id, direction, grade FROM"
                                                  " answers WHERE seq IS NULL AND +dictionary"
                                                  " = ? ORDER BY id"));
    const auto failed = [&] {
        for (const SqliteStatement *statement : {&nextComputer, &numbered, &unnumbered}) {
            if (!statement->error().isEmpty()) {
                *reason = statement->error();
                return true;
            }
        }
        return false;
    };
    if (failed())
        return false;
    QString answered = QStringLiteral("");
    for (;;) {
        nextComputer.reset();
        nextComputer.bind(1, dictionary);
        nextComputer.bind(2, answered);
        if (!nextComputer.nextRow() || nextComputer.isNull(0))
            break;
        answered = QString::fromUtf8(nextComputer.utf8(0));
        numbered.reset();
        numbered.bind(1, dictionary);
        numbered.bind(2, answered);
        AnswerCount count(pairs, answered);
        while (numbered.nextRow()) {
            count.add(numbered.integer(0), numbered.integer(1), numbered.integer(2),
                      numbered.integer(3) == int(Grade::Again));
        }
        if (failed())
            return false;
    }
    unnumbered.bind(1, dictionary);
    AnswerCount own(pairs, computer);
    while (unnumbered.nextRow()) {
        own.add(unnumbered.integer(0), provisional.answers.value(unnumbered.integer(1)),
                unnumbered.integer(2), unnumbered.integer(3) == int(Grade::Again));
    }
    return !failed();
}

} // namespace

std::optional<DictionaryCounters> SharedCountersOf(QSqlDatabase db, const QString &dictionary,
                                                   const QString &computer, QString *reason)
{
    DictionaryCounters result;
    if (const auto read = ContextNow(db, reason))
        result.read = read->others;
    else
        return std::nullopt;
    // This computer's records not numbered yet count by the numbers they will get, so that
    // the counters are the same before and after they are numbered.
    const std::optional<Provisional> provisional = provisionalNumbers(db, computer, reason);
    if (!provisional)
        return std::nullopt;
    QHash<qint64, PairCount> pairs;
    if (!readCounterSettings(db, dictionary, computer, *provisional, pairs, result, reason)
        || !countAnswers(db, dictionary, computer, *provisional, pairs, reason))
        return std::nullopt;

    // Pairs answered in the dictionary but never set: their texts.
    SqliteStatement readPair(db, QStringLiteral("SELECT side1, comment1, side2, comment2 FROM"
                                                " pairs WHERE id = ?"));
    if (!readPair.isValid()) {
        *reason = readPair.error();
        return std::nullopt;
    }
    result.pairs.reserve(pairs.size());
    for (auto counted = pairs.begin(); counted != pairs.end(); ++counted) {
        if (!counted->text) {
            readPair.bind(1, counted.key());
            if (!readPair.nextRow()) {
                *reason = readPair.error();
                return std::nullopt;
            }
            counted->text = pairTextAt(readPair, 0);
            readPair.reset();
        }
        result.pairs.insert(*counted->text, counted->counters);
    }
    return result;
}
