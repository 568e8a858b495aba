#include "core/helpers.h"
#include "assessment/answer_judge.h"
#include "drill/pair_chooser.h"

#include <benchmark/benchmark.h>

// The slowest judgement: percentage mode, 25-character texts, every criterion tried and none
// accepting. Equal lengths run criteria 1 to 4; different lengths run the piece search of 5.
static void judgeWithoutAcceptance(benchmark::State &state, const QString &expected)
{
    const QString answer = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY");
    for (auto _ : state) {
        const AssessmentResult result
            = JudgeAnswer(answer, expected, AssessmentMode::PercentMatch, 100);
        benchmark::DoNotOptimize(result);
    }
}

static void BM_JudgeAnswerSlowestEqualLength(benchmark::State &state)
{
    judgeWithoutAcceptance(state, QStringLiteral("ZYXWVUTSRQPONMLKJIHGFEDCB"));
}
BENCHMARK(BM_JudgeAnswerSlowestEqualLength)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_JudgeAnswerSlowestDifferentLength(benchmark::State &state)
{
    judgeWithoutAcceptance(state, QStringLiteral("ZYXWVUTSRQPONMLKJIHGFEDC"));
}
BENCHMARK(BM_JudgeAnswerSlowestDifferentLength)->Repetitions(5)->ReportAggregatesOnly(true);

static void chooseOverThousandPairs(benchmark::State &state, PairChoice cetnost)
{
    Vocabulary vocabulary;
    for (int i = 0; i < Vocabulary::Capacity; ++i) {
        VocabularyEntry entry;
        entry.offers[1] = i % 17;
        entry.offers[2] = i % 5;
        entry.errors[1] = i % 3;
        entry.errors[2] = i % 7;
        vocabulary.entries.append(entry);
    }
    Settings settings;
    settings.pairChoice = cetnost;
    settings.sideChoice = SideChoice::AtRandom;
    ResetRandomState();
    PairChooser chooser;
    for (auto _ : state)
        benchmark::DoNotOptimize(chooser.ChooseNextPair(vocabulary, settings));
}

static void BM_ChooseNextPairByOffers(benchmark::State &state)
{
    chooseOverThousandPairs(state, PairChoice::ByOffers);
}
BENCHMARK(BM_ChooseNextPairByOffers)->Repetitions(5)->ReportAggregatesOnly(true);

static void BM_ChooseNextPairByErrors(benchmark::State &state)
{
    chooseOverThousandPairs(state, PairChoice::ByErrors);
}
BENCHMARK(BM_ChooseNextPairByErrors)->Repetitions(5)->ReportAggregatesOnly(true);
