#include "history/review_history.h"
#include "history/review_schedule.h"
#include "history_fill.h"

#include <QTemporaryDir>
#include <QVariant>

#include <benchmark/benchmark.h>

#include <random>

constexpr qint64 Now = HistoryFillNow;

// One counted answer: its row and its card's new state, committed (wall time, as the user
// waits for it), in a history of 100,000 answers.
static void BM_RecordAnswer(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = HistoryFilePath(dir.path());
    FillHistory(path, 1000, 100000);
    ReviewHistory history(path);
    history.ensureOpen();
    qint64 at = Now;
    int pair = 0;
    for (auto _ : state) {
        at += 5000;
        const AnswerRecord answer{at,          {PairNumber(pair++ % 1000), 1},
                                  Grade::Good, QStringLiteral("Wort"),
                                  2500,        QStringLiteral("/home/u/lekce.slv")};
        benchmark::DoNotOptimize(history.record(answer));
    }
}
BENCHMARK(BM_RecordAnswer)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Opening a history of 100,000 answers as a start does, its check of the pages included
// (wall time: the file is read from the page cache).
static void BM_OpenHistoryOfHundredThousandAnswers(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = HistoryFilePath(dir.path());
    FillHistory(path, 1000, 100000);
    for (auto _ : state) {
        ReviewHistory history(path);
        benchmark::DoNotOptimize(history.ensureOpen());
    }
}
BENCHMARK(BM_OpenHistoryOfHundredThousandAnswers)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The next card among 2,000 (1,000 pairs, both directions), some due, some new.
static void BM_ChooseAmongTwoThousandCards(benchmark::State &state)
{
    std::mt19937 random(3);
    QList<PairCards> cards;
    for (int i = 0; i < 1000; ++i) {
        PairCards pair;
        for (auto &card : pair) {
            if (random() % 10 == 0)
                continue; // new
            Card known;
            known.memory = {1.0 + int(random() % 100), 5};
            known.lastReviewMs = Now - qint64(random() % 100) * MsPerDay;
            known.reviews = 3;
            card = known;
        }
        cards.append(pair);
    }
    ReviewScheduler scheduler;
    const ScheduleOptions options{MemoryModel{}, 20, std::nullopt};
    int previous = 0;
    for (auto _ : state) {
        const ScheduledChoice choice = scheduler.choose(
            cards, Now, LocalDay{Now - MsPerDay / 2, Now + MsPerDay / 2}, options, previous);
        previous = choice.position;
        benchmark::DoNotOptimize(previous);
    }
}
BENCHMARK(BM_ChooseAmongTwoThousandCards)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Opening the history and loading the cards of a 1,000-pair dictionary from a history of
// 100,000 answers on 3,000 pairs.
static void BM_LoadCardsOfThousandPairs(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = HistoryFilePath(dir.path());
    FillHistory(path, 3000, 100000);
    QList<PairText> dictionary;
    for (int i = 0; i < 1000; ++i)
        dictionary.append(PairNumber(i * 3));
    for (auto _ : state) {
        ReviewHistory history(path);
        const auto cards = history.cardsOf(dictionary);
        if (!cards || cards->size() != 2000)
            state.SkipWithError("cards missing");
        benchmark::DoNotOptimize(cards);
    }
}
BENCHMARK(BM_LoadCardsOfThousandPairs)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
