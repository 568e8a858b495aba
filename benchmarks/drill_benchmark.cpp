#include "assessment/answer_difference.h"
#include "assessment/answer_judge.h"
#include "core/helpers.h"
#include "drill/pair_chooser.h"

#include <benchmark/benchmark.h>

#include <limits>

// The judgements that cost most, in percentage mode with every criterion tried and none
// accepting, so that every alternative of the side is judged to the end.
static void judgeTypedWithoutAcceptance(benchmark::State &state, const QString &typed,
                                        const QString &side)
{
    for (auto _ : state) {
        const AssessmentResult result
            = JudgeTypedAnswer(typed, side, AssessmentMode::PercentMatch, 100);
        benchmark::DoNotOptimize(result);
    }
}

// 25 characters against 25: criteria 1 to 4.
static void BM_JudgeAnswerSlowestEqualLength(benchmark::State &state)
{
    judgeTypedWithoutAcceptance(state, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"),
                                QStringLiteral("ZYXWVUTSRQPONMLKJIHGFEDCB"));
}
BENCHMARK(BM_JudgeAnswerSlowestEqualLength)->Repetitions(5)->ReportAggregatesOnly(true);

// 25 characters against 24: the piece search of criterion 5 and the gap of criterion 6.
static void BM_JudgeAnswerSlowestDifferentLength(benchmark::State &state)
{
    judgeTypedWithoutAcceptance(state, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"),
                                QStringLiteral("ZYXWVUTSRQPONMLKJIHGFEDC"));
}
BENCHMARK(BM_JudgeAnswerSlowestDifferentLength)->Repetitions(5)->ReportAggregatesOnly(true);

// A side of twenty alternatives: a stem with 19 empty or one-letter endings.
static void BM_JudgeAnswerTwentyEndings(benchmark::State &state)
{
    judgeTypedWithoutAcceptance(state, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"),
                                QStringLiteral("zyxwvu[|||||||||a|b|c|d|e|f|g|h|i|j]"));
}
BENCHMARK(BM_JudgeAnswerTwentyEndings)->Repetitions(5)->ReportAggregatesOnly(true);

// A Czech declension group against an answer of 25 characters.
static void BM_JudgeAnswerDeclensionGroup(benchmark::State &state)
{
    judgeTypedWithoutAcceptance(state, QString::fromUtf8("zeleninovápolévkasknedlík"),
                                QString::fromUtf8("zelenin[a|y|ě|u|o|ou|ám|ách|ami]"));
}
BENCHMARK(BM_JudgeAnswerDeclensionGroup)->Repetitions(5)->ReportAggregatesOnly(true);

// A pasted answer of 32,767 characters, the most an answer field takes.
static void BM_JudgeAnswerPastedText(benchmark::State &state)
{
    QString pasted;
    while (pasted.size() < 32767)
        pasted += QString::fromUtf8("žluťoučký kůň úpěl ďábelské ódy ");
    pasted.truncate(32767);
    judgeTypedWithoutAcceptance(state, pasted, QString::fromUtf8("žluťoučký kůň úpěl ďábelské"));
}
BENCHMARK(BM_JudgeAnswerPastedText)->Repetitions(5)->ReportAggregatesOnly(true);

// The alignment behind the line under a wrong answer: a 50-character answer against five
// 50-character alternatives, each differing from it in a few places, the closest one aligned.
static void BM_AlignWithClosestFiftyCharacters(benchmark::State &state)
{
    const QString answer = QString::fromUtf8("Přílišžluťoučkýkůňúpělďábelskéódyanavícjehotakbáli");
    QStringList alternatives;
    for (int k = 0; k < 5; ++k) {
        QString alternative = answer;
        alternative[5 + 9 * k] = QLatin1Char('x');
        alternative.remove(40 - 7 * k, 1);
        alternative.insert(12 + 6 * k, QLatin1Char('y'));
        alternatives.append(alternative);
    }
    for (auto _ : state) {
        const Alignment alignment = AlignWithClosest(answer, alternatives);
        benchmark::DoNotOptimize(alignment);
    }
}
BENCHMARK(BM_AlignWithClosestFiftyCharacters)->Repetitions(5)->ReportAggregatesOnly(true);

// The whole line as the drill builds it: both 50-character texts as typed, five synonyms in the
// side, compared as the judge compares them.
static void BM_DescribeDifferenceFiveSynonyms(benchmark::State &state)
{
    const QString typed = QString::fromUtf8("die Krankenschwestr, der Krnkenpfleger, das Spital");
    const QString side = QString::fromUtf8("Klinik, Spital, Lazarett, Hospital, Krankenhäusern");
    for (auto _ : state) {
        const auto difference = DescribeDifference(typed, side, AssessmentMode::PercentMatch);
        benchmark::DoNotOptimize(difference);
    }
}
BENCHMARK(BM_DescribeDifferenceFiveSynonyms)->Repetitions(5)->ReportAggregatesOnly(true);

static Vocabulary thousandPairs()
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
    return vocabulary;
}

static void chooseOverThousandPairs(benchmark::State &state, PairChoice choice)
{
    const Vocabulary vocabulary = thousandPairs();
    Settings settings;
    settings.pairChoice = choice;
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

// The worst counters a file can hold: the pair just offered carries nearly all the weight,
// so that almost every draw hits it, among 1000 pairs whose sums are still built in full.
static void BM_ChooseNextPairPreviousHoldsTheWeight(benchmark::State &state)
{
    Vocabulary vocabulary = thousandPairs();
    for (VocabularyEntry &entry : vocabulary.entries)
        entry.errors[1] = 0;
    vocabulary.at(500).errors[1] = std::numeric_limits<int>::max() - 1000;
    Settings settings;
    settings.pairChoice = PairChoice::ByErrors;
    ResetRandomState();
    for (auto _ : state) {
        PairChooser chooser(500);
        benchmark::DoNotOptimize(chooser.ChooseNextPair(vocabulary, settings));
    }
}
BENCHMARK(BM_ChooseNextPairPreviousHoldsTheWeight)->Repetitions(5)->ReportAggregatesOnly(true);
