// How long an answer waits for the answer history: the longest and the median of the
// ReviewHistory::record() calls, as the drill makes them, in three situations: the history
// free; another process holding its lock for three seconds; a slow disk (every sync takes
// 200 ms, through a preloaded library). Every answer must be in the history at
// the end. Usage: merko_history_wait_benchmark [ANSWERS]
// (The harness starts itself again for the lock holder and for the slow disk.)

#include "history/review_history.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Holds the database's write lock for `ms` milliseconds, as another program would.
int holdLock(const QString &path, int ms)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("hold"));
    db.setDatabaseName(path);
    if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("BEGIN EXCLUSIVE")))
        return 1;
    std::puts("locked");
    std::fflush(stdout);
    QThread::msleep(ms);
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    return 0;
}

// Records the answers with a pause between them; prints the waits; 0 when none was lost.
int measure(const char *situation, int answers, bool locked)
{
    QTemporaryDir dir;
    const QString path = HistoryFilePath(dir.path());
    ReviewHistory history(path);
    history.ensureOpen();
    QProcess holder;
    if (locked) {
        holder.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("hold"), path, QStringLiteral("3000")});
        if (!holder.waitForReadyRead(10000))
            return 2;
    }
    std::vector<double> waits;
    for (int i = 0; i < answers; ++i) {
        const AnswerRecord answer{1'800'000'000'000 + i * 5000LL,
                                  {{QStringLiteral("slovo %1").arg(i % 300),
                                    {},
                                    QStringLiteral("Wort %1").arg(i % 300),
                                    {}},
                                   1},
                                  Grade::Good,
                                  QStringLiteral("Wort"),
                                  2500,
                                  QStringLiteral("/home/u/lekce.slv")};
        QElapsedTimer timer;
        timer.start();
        history.record(answer);
        waits.push_back(double(timer.nsecsElapsed()) / 1e6);
        // The user reads the next word: the event loop runs (the retry among it).
        QElapsedTimer pause;
        pause.start();
        while (pause.elapsed() < (locked ? 20 : 5))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const int left = history.finish(10000);
    holder.waitForFinished(10000);
    const qint64 stored = history.answerCount();
    std::sort(waits.begin(), waits.end());
    std::printf("%-22s answers %5d  longest wait %7.2f ms  median %6.3f ms  checkpoints %d%s\n",
                situation, answers, waits.back(), waits[waits.size() / 2],
                history.checkpointsDone(), left == 0 && stored == answers ? "" : "  ANSWERS LOST");
    std::fflush(stdout);
    return left == 0 && stored == answers ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.value(1) == QLatin1String("hold"))
        return holdLock(arguments.value(2), arguments.value(3).toInt());
    if (arguments.value(1) == QLatin1String("slow"))
        return measure("slow disk", arguments.value(2).toInt(), false);
    const int answers = std::max(arguments.value(1).toInt(), 200);
    int failed = measure("free", answers, false);
    failed |= measure("locked for 3 s", 200, true);
    // The slow disk is this harness again, with the slow file functions preloaded.
    QProcess slow;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(MERKO_SLOW_DISK));
    slow.setProcessEnvironment(environment);
    slow.setProcessChannelMode(QProcess::ForwardedChannels);
    slow.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("slow"), QString::number(answers)});
    if (!slow.waitForFinished(600000) || slow.exitCode() != 0)
        failed = 1;
    return failed;
}
