#include "history/history_rows.h"
#include "sync/log_transfer.h"
#include "sync/shared_counters.h"
#include "history_fill.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

constexpr int Logs = 10;
constexpr int AnswersInAll = 100000;

QString logPath(const QTemporaryDir &dir, int computer)
{
    return QDir(dir.path())
        .filePath(QStringLiteral("odpovedi/%1.log").arg(computer, 16, 10, QLatin1Char('0')));
}

// The counters set on every pair of the dictionary when it came into the synchronised folder,
// as the first records of computer 0's log: the program's logs hold such a setting for each
// pair once, and then answers.
constexpr int SettingsAtStart = 1000;
const QString Lesson = QStringLiteral("nemcina/lekce.slv");

// Appends `count` answers numbered from `firstSeq` on 1000 pairs to a computer's log; with
// `settings`, computer 0's log begins with the counters set on every pair.
void appendAnswers(const QString &path, int computer, qint64 firstSeq, int count,
                   bool settings = false)
{
    std::mt19937 random(unsigned(computer * 7919 + firstSeq));
    QList<LoggedSetting> set;
    if (settings && computer == 0 && firstSeq == 1) {
        for (int i = 0; i < SettingsAtStart; ++i)
            set.append({firstSeq++,
                        {HistoryFillNow - qint64(AnswersInAll) * 60000,
                         Lesson,
                         PairNumber(i),
                         {3, 2, 1, 0},
                         {}}});
    }
    QList<LoggedAnswer> answers;
    for (int i = 0; i < count; ++i) {
        const qint64 seq = firstSeq + i;
        const AnswerRecord answer{HistoryFillNow - (AnswersInAll - seq) * 60000 + computer,
                                  {PairNumber(int(random() % 1000)), int(random() % 2) + 1},
                                  Grade(int(random() % 4) + 1),
                                  QStringLiteral("odpoved"),
                                  2400,
                                  Lesson};
        answers.append({seq, answer});
    }
    QString reason;
    AnswerLogWriter(path, QString::number(computer)).append(answers, set, &reason);
}

// Reads logs on from where they were left and takes their new answers.
int readOn(ReviewHistory &history, const QStringList &paths)
{
    QString reason;
    const auto logs = ReadLogsOn(history.database(), paths, &reason);
    const auto taken = ImportLogs(
        history.database(), *logs, [](const QString &name) { return name; }, MemoryModel{},
        &reason);
    if (!taken)
        qWarning("%s", qPrintable(reason));
    return taken.value_or(-1);
}

QStringList allLogs(const QTemporaryDir &dir)
{
    QStringList paths;
    for (int computer = 0; computer < Logs; ++computer)
        paths.append(logPath(dir, computer));
    return paths;
}

} // namespace

// The first read of ten computers' logs, 100,000 answers in all, into a new history: every
// answer taken and every card computed from them, committed (wall time; the program does it
// off the window's thread). The checkpoint that later copies the write-ahead log into the
// database, which the program does on a thread of its own, is not timed.
static void firstReadOfTenLogs(benchmark::State &state, bool settings)
{
    QTemporaryDir dir;
    for (int computer = 0; computer < Logs; ++computer)
        appendAnswers(logPath(dir, computer), computer, 1, AnswersInAll / Logs, settings);
    const int records = AnswersInAll + (settings ? SettingsAtStart : 0);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString path
            = QDir(dir.path()).filePath(QStringLiteral("history%1.sqlite").arg(round++));
        auto history = std::make_unique<ReviewHistory>(path);
        history->ensureOpen();
        state.ResumeTiming();
        if (readOn(*history, allLogs(dir)) != records)
            state.SkipWithError("not every record was taken");
        state.PauseTiming();
        history.reset();
        state.ResumeTiming();
    }
}
static void BM_FirstReadOfTenLogs(benchmark::State &state)
{
    firstReadOfTenLogs(state, false);
}
BENCHMARK(BM_FirstReadOfTenLogs)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The same as the program writes its logs: the counters set on every pair of the dictionary
// once, then the answers.
static void BM_FirstReadOfTenLogsAsWritten(benchmark::State &state)
{
    firstReadOfTenLogs(state, true);
}
BENCHMARK(BM_FirstReadOfTenLogsAsWritten)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The counters of a 1000-pair dictionary computed from its settings and 100,000 answers of ten
// computers (on the sync's thread in the program, after each sync).
static void BM_SharedCountersOfThousandPairs(benchmark::State &state)
{
    QTemporaryDir dir;
    for (int computer = 0; computer < Logs; ++computer)
        appendAnswers(logPath(dir, computer), computer, 1, AnswersInAll / Logs, true);
    ReviewHistory history(QDir(dir.path()).filePath(QStringLiteral("history.sqlite")));
    history.ensureOpen();
    readOn(history, allLogs(dir));
    for (auto _ : state) {
        QString reason;
        const auto counters = SharedCountersOf(history.database(), Lesson,
                                               QStringLiteral("0123456789abcdef"), &reason);
        if (!counters || counters->pairs.size() != 1000)
            state.SkipWithError("the counters were not computed");
        benchmark::DoNotOptimize(counters);
    }
}
BENCHMARK(BM_SharedCountersOfThousandPairs)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// A log that grew by `grownBy` answers, read on into a history that holds 100,000.
static void readGrownLog(benchmark::State &state, int grownBy)
{
    QTemporaryDir dir;
    for (int computer = 0; computer < Logs; ++computer)
        appendAnswers(logPath(dir, computer), computer, 1, AnswersInAll / Logs);
    ReviewHistory history(QDir(dir.path()).filePath(QStringLiteral("history.sqlite")));
    history.ensureOpen();
    readOn(history, allLogs(dir));
    qint64 next = AnswersInAll / Logs + 1;
    for (auto _ : state) {
        state.PauseTiming();
        appendAnswers(logPath(dir, 3), 3, next, grownBy);
        next += grownBy;
        state.ResumeTiming();
        if (readOn(history, {logPath(dir, 3)}) != grownBy)
            state.SkipWithError("not every answer was taken");
    }
}

static void BM_ReadNewTailOfHundred(benchmark::State &state)
{
    readGrownLog(state, 100);
}
BENCHMARK(BM_ReadNewTailOfHundred)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A computer that was away a while.
static void BM_ReadFiveThousandIntoHundredThousand(benchmark::State &state)
{
    readGrownLog(state, 5000);
}
BENCHMARK(BM_ReadFiveThousandIntoHundredThousand)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// What SQLite alone costs for the rows of the first read, as a floor for it: 100,000 answers of
// ten computers added to a table of the history's columns in memory (no disk, no log parsed, no
// pair numbered, no card computed), the indexes by time, by dictionary and by card made after
// them, committed.
static void BM_SqliteAloneHundredThousandRows(benchmark::State &state)
{
    QSqlDatabase db
        = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("sqlite_alone"));
    db.setDatabaseName(QStringLiteral(":memory:"));
    if (!db.open()) {
        state.SkipWithError("no SQLite in memory");
        return;
    }
    {
        std::mt19937 random(7);
        QSqlQuery query(db);
        for (auto _ : state) {
            state.PauseTiming();
            query.exec(QStringLiteral("DROP TABLE IF EXISTS answers"));
            query.exec(QStringLiteral(
                "CREATE TABLE answers (id INTEGER PRIMARY KEY, at_ms INTEGER NOT NULL, pair"
                " INTEGER NOT NULL, direction INTEGER NOT NULL, grade INTEGER NOT NULL, typed TEXT"
                " NOT NULL, duration_ms INTEGER NOT NULL, dictionary TEXT NOT NULL, session TEXT"
                " NOT NULL, settled INTEGER NOT NULL DEFAULT 0, computer TEXT, seq INTEGER)"));
            query.exec(QStringLiteral("CREATE UNIQUE INDEX answers_logged ON answers(computer,"
                                      " seq) WHERE computer IS NOT NULL"));
            state.ResumeTiming();
            db.transaction();
            SqliteStatement insert(db, QStringLiteral("INSERT INTO answers (at_ms, pair, direction,"
                                                      " grade, typed, duration_ms, dictionary,"
                                                      " session, settled, computer, seq) VALUES (?,"
                                                      " ?, ?, ?, ?, ?, ?, ?, 1, ?, ?)"));
            const QString typed = QStringLiteral("odpoved");
            // The texts every row of a log repeats are bound as UTF-8 made once, as the
            // program binds them.
            const QByteArray dictionary = QByteArrayLiteral("nemcina/lekce.slv");
            const QByteArray session;
            QList<QByteArray> computers;
            for (int computer = 0; computer < Logs; ++computer)
                computers.append(QByteArray::number(computer).rightJustified(16, '0'));
            for (int i = 0; i < AnswersInAll; ++i) {
                insert.bind(1, HistoryFillNow - qint64(AnswersInAll - i) * 60000);
                insert.bind(2, qint64(random() % 1000));
                insert.bind(3, qint64(random() % 2 + 1));
                insert.bind(4, qint64(random() % 4 + 1));
                insert.bind(5, typed);
                insert.bind(6, qint64(2400));
                insert.bindUtf8(7, dictionary);
                insert.bindUtf8(8, session);
                insert.bindUtf8(9, computers.at(i % Logs));
                insert.bind(10, qint64(i / Logs + 1));
                if (!insert.run()) {
                    state.SkipWithError("a row was not added");
                    break;
                }
            }
            for (const SqlIndex &index : AnswerIndexes)
                query.exec(index.statement);
            if (!db.commit())
                state.SkipWithError("not committed");
        }
    }
    db.close();
}
BENCHMARK(BM_SqliteAloneHundredThousandRows)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
