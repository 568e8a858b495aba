#include "simulated_learner.h"

#include <algorithm>
#include <cmath>

Fsrs::Weights DrawLearnerWeights(std::mt19937 &random)
{
    std::normal_distribution<double> spread(0.0, 0.3);
    Fsrs::Weights weights = Fsrs::DefaultWeights;
    for (std::size_t i = 0; i < weights.size(); ++i)
        weights[i] = std::clamp(weights[i] * std::exp(spread(random)), Fsrs::LowestWeights[i],
                                Fsrs::HighestWeights[i]);
    // Initial stabilities grow with the grade.
    std::sort(weights.begin(), weights.begin() + 4);
    return weights;
}

Fsrs::Weights ForgetfulLearner()
{
    Fsrs::Weights weights = Fsrs::DefaultWeights;
    for (std::size_t i = 0; i < 4; ++i)
        weights[i] *= 0.4; // weaker first memories
    weights[8] = 1.1;      // which grow more slowly
    weights[20] = 0.35;    // and fade faster at first
    return weights;
}

namespace {

Grade drawFirstGrade(std::mt19937 &random)
{
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(random);
    return u < 0.25 ? Grade::Again : u < 0.35 ? Grade::Hard : u < 0.9 ? Grade::Good : Grade::Easy;
}

Grade drawGrade(std::mt19937 &random, double retrievability)
{
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    if (uniform(random) >= retrievability)
        return Grade::Again;
    const double u = uniform(random);
    return u < 0.15 ? Grade::Hard : u < 0.9 ? Grade::Good : Grade::Easy;
}

} // namespace

QList<AnswerRecord> AnswersOf(const ReviewSequences &answers, qint64 startMs,
                              const QString &dictionary)
{
    QList<AnswerRecord> records;
    for (qsizetype card = 0; card < answers.cards(); ++card) {
        const PairText pair{QStringLiteral("slovo %1").arg(card), QString(),
                            QStringLiteral("word %1").arg(card), QString()};
        for (qsizetype answer = answers.begin(card); answer < answers.end(card); ++answer) {
            records.append({startMs + answers.atMs(answer),
                            {pair, 1},
                            answers.grade(answer),
                            QString(),
                            2000,
                            dictionary});
        }
    }
    return records;
}

ReviewSequences SimulateLearner(const Fsrs::Weights &learner, const LearnerPlan &plan,
                                ReviewSequences *heldOut)
{
    std::mt19937 random(plan.seed);
    std::lognormal_distribution<double> lateness(0.0, 0.25);
    std::uniform_int_distribution<qint64> minutes(0, 12 * 60);
    const MemoryModel scheduler; // the published weights at 90 %
    const MemoryModel truth{learner, 0.9};
    ReviewSequences reviews;
    const qint64 end = qint64(plan.days) * MsPerDay;
    for (int card = 0; card < plan.cards; ++card) {
        ReviewSequences &into = heldOut && card % 5 == 0 ? *heldOut : reviews;
        into.startCard();
        const qint64 day = qint64(card) * plan.days / (plan.cards * 2); // new in the first half
        qint64 at = day * MsPerDay + 8 * 3600 * 1000 + minutes(random) * 60 * 1000;
        Grade grade = drawFirstGrade(random);
        std::optional<Card> scheduled;
        std::optional<Card> memory;
        while (at < end) {
            scheduled = ReviewCard(scheduled, grade, at, scheduler);
            memory = ReviewCard(memory, grade, at, truth);
            into.add(at, grade);
            if (grade == Grade::Again && random() % 2 == 0) {
                at += 10 * 60 * 1000; // seen again a few minutes later
            } else {
                const double days = double(scheduled->dueMs - at) / MsPerDay * lateness(random);
                at += std::max<qint64>(1, std::llround(days)) * MsPerDay
                      + (minutes(random) - 6 * 60) * 60 * 1000;
            }
            grade = drawGrade(random, CardRetrievability(learner, *memory, at));
        }
    }
    return reviews;
}
