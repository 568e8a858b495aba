#include "history/answer_import.h"
#include "history/fsrs_optimiser.h"
#include "history/memory_fit.h"
#include "simulated_learner.h"
#include "test_support.h"

#include <QFile>
#include <QMap>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Weights away from the published ones and from every range's edge, so that no clamp of the
// equations hides a weight's effect.
Fsrs::Weights shiftedWeights()
{
    Fsrs::Weights w = Fsrs::DefaultWeights;
    for (std::size_t i = 0; i < w.size(); ++i)
        w[i] = std::clamp(w[i] * (i % 2 ? 1.13 : 0.91), Fsrs::LowestWeights[i] + 0.01,
                          Fsrs::HighestWeights[i] - 0.01);
    w[7] = 0.05; // the mean reversion of difficulty, visible
    w[15] = 0.6;
    return w;
}

// An answer brought into the history, on a pair "slovo <word>" / "w".
AnswerRecord answerOn(int word, int direction, Grade grade, qint64 atMs)
{
    const PairText pair{QStringLiteral("slovo %1").arg(word), {}, QStringLiteral("w"), {}};
    return {atMs, {pair, direction}, grade, QString(), 900, QStringLiteral("/d/a.slv")};
}

const ReviewSequences &learnerAnswers()
{
    static const ReviewSequences answers
        = SimulateLearner(shiftedWeights(), {.cards = 120, .days = 200, .seed = 7});
    return answers;
}

class GradientTest : public testing::TestWithParam<int>
{
};

// The gradient worked back through every card's answers is the loss's slope by each weight.
TEST_P(GradientTest, IsTheSlopeOfTheLossByTheWeight)
{
    const std::size_t i = std::size_t(GetParam());
    const Fsrs::Weights w = shiftedWeights();
    FsrsFit::Gradient gradient{};
    FsrsFit::LogLoss(w, learnerAnswers(), &gradient);
    const double step = 1e-6 * std::max(1.0, std::abs(w[i]));
    Fsrs::Weights up = w;
    Fsrs::Weights down = w;
    up[i] += step;
    down[i] -= step;
    const double slope = (FsrsFit::LogLoss(up, learnerAnswers(), nullptr)
                          - FsrsFit::LogLoss(down, learnerAnswers(), nullptr))
                         / (2 * step);
    EXPECT_NEAR(gradient[i], slope, 1e-4 * std::max(1.0, std::abs(slope)));
    EXPECT_NE(slope, 0.0) << "the answers exercise the weight";
}

INSTANTIATE_TEST_SUITE_P(EveryWeight, GradientTest, testing::Range(0, 21),
                         [](const testing::TestParamInfo<int> &info) {
                             return "w" + std::to_string(info.param);
                         });

// The fit's own equations are the model's: its loss is the one of the cards replayed review by
// review.
TEST(FsrsFit, PredictsWhatTheReplayedCardsPredict)
{
    const Fsrs::Weights w = shiftedWeights();
    const ReviewSequences &answers = learnerAnswers();
    double loss = 0;
    for (qsizetype card = 0; card < answers.cards(); ++card) {
        std::optional<Card> replayed;
        for (qsizetype answer = answers.begin(card); answer < answers.end(card); ++answer) {
            if (replayed && answers.elapsedDays(answer) >= 1.0) {
                const double days = ElapsedDays(replayed->lastReviewMs, answers.atMs(answer));
                const double r = Fsrs::Retrievability(w, days, replayed->memory.stability);
                loss -= std::log(answers.grade(answer) > Grade::Again ? r : 1 - r);
            }
            replayed = ReviewCard(replayed, answers.grade(answer), answers.atMs(answer), {w, 0.9});
        }
    }
    EXPECT_NEAR(FsrsFit::LogLoss(w, answers, nullptr), loss, 1e-9 * loss);
}

// For a learner whose memory differs from the published weights, the fit of four fifths of the
// cards predicts the fifth it never saw better than the published weights do.
TEST(FsrsFit, PredictsCardsItWasNotFittedOnBetterThanTheDefaults)
{
    const Fsrs::Weights learner = shiftedWeights();
    for (std::uint32_t seed : {11u, 12u, 13u}) {
        ReviewSequences heldOut;
        const ReviewSequences training = SimulateLearner(learner, {800, 365, seed}, &heldOut);
        const std::optional<Fsrs::Weights> fitted = FsrsFit::Fit(training, Fsrs::DefaultWeights);
        ASSERT_TRUE(fitted && Fsrs::AreValid(*fitted)) << seed;
        EXPECT_LT(FsrsFit::Quality(*fitted, heldOut).logLoss,
                  FsrsFit::Quality(Fsrs::DefaultWeights, heldOut).logLoss)
            << seed;
    }
}

ReviewSequences simulated(int cards, std::uint32_t seed = 5)
{
    std::mt19937 random(seed);
    return SimulateLearner(DrawLearnerWeights(random), {cards, 365, seed});
}

// A short history is judged on its last fifth, which the fit did not see; the same history
// gives the same weights; a cancelled fit keeps nothing.
TEST(OptimiseWeights, JudgesAShortHistoryOnItsLastFifthAndIsRepeatable)
{
    const ReviewSequences answers = simulated(600);
    ASSERT_LT(answers.answers(), HeldOutBelowAnswers);
    const Optimisation first = OptimiseWeights(answers, Fsrs::DefaultWeights);
    EXPECT_TRUE(first.heldOut);
    EXPECT_EQ(first.outcome, Optimisation::Outcome::Better);
    const qint64 cut = answers.timeOfShare(0.8);
    EXPECT_EQ(first.fitted.predicted, FsrsFit::Quality(first.weights, answers, cut).predicted);
    EXPECT_LT(first.fitted.predicted, answers.predicted() / 3);
    EXPECT_DOUBLE_EQ(first.inForce.logLoss,
                     FsrsFit::Quality(Fsrs::DefaultWeights, answers, cut).logLoss);
    EXPECT_EQ(first.weights, Fsrs::Rounded(first.weights)) << "kept as the settings keep them";
    EXPECT_EQ(OptimiseWeights(answers, Fsrs::DefaultWeights).weights, first.weights);
    // The same weights in force: nothing better to find.
    EXPECT_EQ(OptimiseWeights(answers, first.weights).outcome, Optimisation::Outcome::NotBetter);

    const Optimisation cancelled
        = OptimiseWeights(answers, Fsrs::DefaultWeights, [](double done) { return done < 0.2; });
    EXPECT_EQ(cancelled.outcome, Optimisation::Outcome::Cancelled);
}

// Histories that are too short or odd: no fit, or a fit without a NaN.
TEST(OptimiseWeights, OddHistoriesGiveNoNaNAndAShortOneKeepsTheWeights)
{
    ReviewSequences one;
    one.startCard();
    one.add(0, Grade::Good);
    ReviewSequences oneCardOften; // thousands of answers on one card
    oneCardOften.startCard();
    for (int i = 0; i < 5000; ++i)
        oneCardOften.add(qint64(i) * MsPerDay * (i % 7 + 1) / 3, Grade(i % 4 + 1));
    ReviewSequences backwards; // a clock set wrong: answers before the ones they follow
    for (int card = 0; card < 80; ++card) {
        backwards.startCard();
        for (int i = 0; i < 8; ++i)
            backwards.add(qint64((i % 3) * 5 - i) * MsPerDay, i % 5 ? Grade::Good : Grade::Again);
    }
    // clang-format off
    const std::vector<std::tuple<const char *, const ReviewSequences *, bool>> rows{
        {"one answer",             &one,          false},
        {"one card, many answers", &oneCardOften, false},
        {"a clock set back",       &backwards,    true},
    };
    // clang-format on
    for (const auto &[name, answers, enough] : rows) {
        const Optimisation result = OptimiseWeights(*answers, Fsrs::DefaultWeights);
        EXPECT_EQ(result.outcome == Optimisation::Outcome::TooFewAnswers, !enough) << name;
        const std::optional<Fsrs::Weights> fitted = FsrsFit::Fit(*answers, Fsrs::DefaultWeights);
        ASSERT_TRUE(fitted) << name;
        EXPECT_TRUE(Fsrs::AreValid(*fitted)) << name;
        EXPECT_TRUE(std::isfinite(FsrsFit::Quality(*fitted, *answers).logLoss)) << name;
    }
}

// The history's cards follow the weights in force: computed again when they change, left alone
// when they do not.
TEST(ReplayHistoryCards, BringsEveryCardToTheWeightsInForce)
{
    QTemporaryDir dir;
    ReviewHistory history(HistoryFilePath(dir.path()));
    ASSERT_TRUE(history.ensureOpen());
    QList<AnswerRecord> answers;
    for (int i = 0; i < 40; ++i)
        answers.append(
            answerOn(i % 4, 1 + i % 2, Grade(i % 4 + 1), 1700000000000 + i * MsPerDay / 2));
    QString reason;
    ASSERT_EQ(ImportAnswers(history.database(), answers, MemoryModel{}, &reason), 40);
    const auto cards = [&] {
        return queryRows(history.database(),
                         QStringLiteral("SELECT side1, direction, stability, difficulty, due_ms"
                                        " FROM cards ORDER BY side1, direction"));
    };
    const QStringList published = cards();
    MemoryModel own;
    own.weights = shiftedWeights();
    bool replayed = false;
    ASSERT_TRUE(ReplayHistoryCards(history.path(), own, &reason, &replayed))
        << reason.toStdString();
    EXPECT_TRUE(replayed);
    const QStringList fitted = cards();
    EXPECT_NE(fitted, published);
    // As if every answer had been given with the new weights.
    QTemporaryDir otherDir;
    ReviewHistory other(HistoryFilePath(otherDir.path()));
    ASSERT_TRUE(other.ensureOpen());
    ImportAnswers(other.database(), answers, own, &reason);
    EXPECT_EQ(fitted, queryRows(other.database(),
                                QStringLiteral("SELECT side1, direction, stability, difficulty,"
                                               " due_ms FROM cards ORDER BY side1, direction")));
    EXPECT_EQ(queryValue(history.path(), QStringLiteral("SELECT weights FROM card_weights")),
              Fsrs::WeightsText(own.weights));
    ASSERT_TRUE(ReplayHistoryCards(history.path(), own, &reason, &replayed));
    EXPECT_FALSE(replayed) << "the cards follow these weights already";
    ASSERT_TRUE(ReplayHistoryCards(history.path(), MemoryModel{}, &reason));
    EXPECT_EQ(cards(), published) << "back to the defaults";
}

// The answers come card by card in time order, the same whether a few cards are read by the
// index or all in one pass; a row of a grade never written (a damaged one) is no answer.
TEST(ReadAnswersByCard, GivesEachCardsAnswersInTimeOrderWithoutDamagedRows)
{
    QTemporaryDir dir;
    ReviewHistory history(HistoryFilePath(dir.path()));
    ASSERT_TRUE(history.ensureOpen());
    QList<AnswerRecord> answers;
    // Given out of time order: later answers first.
    for (int i = 0; i < 12; ++i)
        answers.append(answerOn(i % 3, 1, Grade(i % 4 + 1), 1700000000000 + (12 - i) * MsPerDay));
    QString reason;
    ASSERT_EQ(ImportAnswers(history.database(), answers, MemoryModel{}, &reason), 12);
    QSqlQuery(history.database())
        .exec(QStringLiteral("UPDATE answers SET grade = 9 WHERE id = (SELECT min(id) FROM "
                             "answers)"));
    const auto read = [&](const QSet<NumberedCard> *only) {
        QMap<NumberedCard, QList<qint64>> times;
        EXPECT_TRUE(ReadAnswersByCard(
            history.database(),
            [&](const NumberedCard &card, const QList<GradedAnswer> &graded) {
                EXPECT_FALSE(times.contains(card)) << "each card once";
                for (const GradedAnswer &answer : graded)
                    times[card].append(answer.atMs);
            },
            &reason, only));
        return times;
    };
    const QMap<NumberedCard, QList<qint64>> all = read(nullptr);
    ASSERT_EQ(all.size(), 3);
    int count = 0;
    for (const QList<qint64> &times : all) {
        EXPECT_TRUE(std::is_sorted(times.cbegin(), times.cend()));
        count += int(times.size());
    }
    EXPECT_EQ(count, 11) << "the damaged row left out";
    const QSet<NumberedCard> two{all.firstKey(), all.lastKey()};
    const QMap<NumberedCard, QList<qint64>> some = read(&two);
    EXPECT_EQ(some.keys(), (QList<NumberedCard>{all.firstKey(), all.lastKey()}));
    EXPECT_EQ(some.first(), all.first());
    EXPECT_EQ(some.last(), all.last());
}

// A history that cannot be used says why: a file that fails at its first read is no history of
// another version.
TEST(ReplayHistoryCards, NamesWhyTheHistoryCannotBeUsed)
{
    QTemporaryDir dir;
    const QString damaged = dir.filePath(QStringLiteral("damaged.sqlite"));
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();
    const QString later = dir.filePath(QStringLiteral("later.sqlite"));
    {
        ReviewHistory history(later);
        ASSERT_TRUE(history.ensureOpen());
        QSqlQuery(history.database()).exec(QStringLiteral("PRAGMA user_version = 99"));
    }
    // clang-format off
    const std::vector<std::pair<QString, QString>> rows = {
        {damaged, QStringLiteral("file is not a database")},
        {later,   QStringLiteral("zapsala ji jiná verze programu Merko")},
    };
    // clang-format on
    for (const auto &[path, why] : rows) {
        QString reason;
        EXPECT_FALSE(ReplayHistoryCards(path, MemoryModel{}, &reason)) << path.toStdString();
        EXPECT_TRUE(reason.contains(why)) << reason.toStdString();
    }
}

} // namespace
