// The memory model's fit against the published reference optimiser, on simulated learners.
//
//   merko_fsrs_fit_benchmark [learners] [--reference <folder with node_modules>]
//
// Quality: for each learner (weights drawn around the published ones, 800 to 5,000 cards), the
// fit of four fifths of the cards predicts the fifth held out; the log loss of the published
// weights, of Merko's fit and of the reference's fit. Speed: the fit of 100,000 answers on
// 10,000 cards, Merko's and the reference's (without Node's own start).
#include "history/fsrs_optimiser.h"
#include "tests/simulated_learner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace {

struct ReferenceFit
{
    Fsrs::Weights weights{};
    double seconds = 0;
};

// The answers as the reference's script reads them.
void writeAnswers(const ReviewSequences &reviews, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QByteArray text;
    for (qsizetype card = 0; card < reviews.cards(); ++card) {
        for (qsizetype answer = reviews.begin(card); answer < reviews.end(card); ++answer) {
            text += QByteArray::number(int(reviews.grade(answer))) + ':'
                    + QByteArray::number(int(reviews.elapsedDays(answer))) + ' ';
        }
        text += '\n';
    }
    file.write(text);
}

std::optional<ReferenceFit> referenceFit(const QString &modules, const ReviewSequences &reviews,
                                         const QString &folder)
{
    if (modules.isEmpty())
        return std::nullopt;
    const QString answers = folder + QStringLiteral("/answers.txt");
    writeAnswers(reviews, answers);
    QProcess node;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NODE_PATH"), modules + QStringLiteral("/node_modules"));
    node.setProcessEnvironment(environment);
    node.start(QStringLiteral("node"),
               {QStringLiteral(MERKO_SOURCE_DIR "/benchmarks/fsrs_reference.mjs"), answers});
    if (!node.waitForFinished(600000) || node.exitCode() != 0) {
        std::fprintf(stderr, "reference failed: %s\n", node.readAllStandardError().constData());
        return std::nullopt;
    }
    const QJsonObject result = QJsonDocument::fromJson(node.readAllStandardOutput()).object();
    const QJsonArray weights = result.value(QStringLiteral("weights")).toArray();
    if (weights.size() != 21)
        return std::nullopt;
    ReferenceFit fit;
    for (int i = 0; i < 21; ++i)
        fit.weights[std::size_t(i)] = weights.at(i).toDouble();
    fit.seconds = result.value(QStringLiteral("seconds")).toDouble();
    return fit;
}

void compareQuality(int learners, const QString &modules, const QString &folder)
{
    std::printf("learner  cards answers  defaults   Merko  reference  (held-out log loss)  "
                "Merko s  reference s\n");
    int better = 0;
    int noWorse = 0;
    for (int learner = 1; learner <= learners; ++learner) {
        std::mt19937 random(std::uint32_t(1000 + learner));
        const Fsrs::Weights truth = DrawLearnerWeights(random);
        const int cards = 800 + int(random() % 4201);
        ReviewSequences heldOut;
        const ReviewSequences training
            = SimulateLearner(truth, {cards, 365, std::uint32_t(learner)}, &heldOut);
        QElapsedTimer timer;
        timer.start();
        const Fsrs::Weights fitted = Fsrs::Rounded(*FsrsFit::Fit(training, Fsrs::DefaultWeights));
        const double seconds = timer.nsecsElapsed() / 1e9;
        const double defaults = FsrsFit::Quality(Fsrs::DefaultWeights, heldOut).logLoss;
        const double merko = FsrsFit::Quality(fitted, heldOut).logLoss;
        const std::optional<ReferenceFit> reference = referenceFit(modules, training, folder);
        const double theirs
            = reference ? FsrsFit::Quality(reference->weights, heldOut).logLoss : 0.0;
        better += merko < defaults ? 1 : 0;
        noWorse += reference && merko <= theirs + 1e-4 ? 1 : 0;
        std::printf("%7d %6d %7lld  %8.4f %7.4f  %9.4f                       %7.3f  %11.3f\n",
                    learner, cards, qlonglong(training.answers()), defaults, merko, theirs, seconds,
                    reference ? reference->seconds : 0.0);
    }
    std::printf("better than the defaults: %d of %d; no worse than the reference (within "
                "0.0001): %d\n",
                better, learners, noWorse);
}

void compareSpeed(const QString &modules, const QString &folder)
{
    std::mt19937 random(99);
    const ReviewSequences answers
        = SimulateLearner(DrawLearnerWeights(random), {.cards = 10000, .days = 420, .seed = 99});
    QElapsedTimer timer;
    timer.start();
    FsrsFit::Fit(answers, Fsrs::DefaultWeights);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const std::optional<ReferenceFit> reference = referenceFit(modules, answers, folder);
    std::printf("fit of %lld answers on %lld cards: Merko %.3f s, reference %.3f s\n",
                qlonglong(answers.answers()), qlonglong(answers.cards()), seconds,
                reference ? reference->seconds : 0.0);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    QString modules;
    const qsizetype at = arguments.indexOf(QStringLiteral("--reference"));
    if (at >= 0 && at + 1 < arguments.size()) {
        modules = arguments.at(at + 1);
        arguments.remove(at, 2);
    }
    const int learners = arguments.isEmpty() ? 5 : arguments.first().toInt();
    QTemporaryDir folder;
    compareQuality(learners, modules, folder.path());
    compareSpeed(modules, folder.path());
    return 0;
}
