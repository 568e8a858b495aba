// The memory model's fit against the published reference optimiser, on simulated learners.
//
//   merko_fsrs_fit_benchmark [learners] [--reference <folder with node_modules>]
//
// Quality: for each learner (weights drawn around the published ones, 800 to 5,000 cards), the
// fit of four fifths of the cards predicts the fifth held out; the log loss of the published
// weights, of Merko's fit and of the reference's fit. Speed: the fit of 100,000 answers on
// 10,000 cards, Merko's and the reference's (without Node's own start); the whole
// `merko --optimize` on a history of those answers (start, reading, fit, check, settings file),
// and its peak memory beside that of `merko --version`.
#include "history/answer_import.h"
#include "history/fsrs_optimiser.h"
#include "tests/simulated_learner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
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

// Runs the program for the harness from a small process started before the harness grew, so
// that a run's peak memory is the program's own (a child forked from the harness would count
// the harness's pages until it runs the program).
class Launcher
{
public:
    Launcher()
    {
        int requests[2];
        int replies[2];
        if (pipe(requests) != 0 || pipe(replies) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            close(requests[1]);
            close(replies[0]);
            serve(requests[0], replies[1]);
        }
        close(requests[0]);
        close(replies[1]);
        m_requests = requests[1];
        m_replies = replies[0];
    }
    ~Launcher()
    {
        close(m_requests);
        close(m_replies);
        waitpid(m_pid, nullptr, 0);
    }

    // `program argument` with HOME set: its time in seconds and its peak memory in megabytes.
    std::pair<double, double> run(const QString &program, const QString &argument,
                                  const QString &home)
    {
        const QByteArray request = (program + QLatin1Char('\n') + argument + QLatin1Char('\n')
                                    + home + QLatin1Char('\n'))
                                       .toLocal8Bit();
        if (write(m_requests, request.constData(), size_t(request.size())) < 0)
            return {};
        double reply[2] = {0, 0};
        if (read(m_replies, reply, sizeof reply) != sizeof reply)
            return {};
        return {reply[0], reply[1]};
    }

private:
    [[noreturn]] static void serve(int requests, int replies)
    {
        FILE *in = fdopen(requests, "r");
        char lines[3][4096];
        while (fgets(lines[0], 4096, in) && fgets(lines[1], 4096, in)
               && fgets(lines[2], 4096, in)) {
            for (char *line : lines)
                line[strcspn(line, "\n")] = 0;
            timespec start{};
            clock_gettime(CLOCK_MONOTONIC, &start);
            const pid_t child = fork();
            if (child == 0) {
                setenv("HOME", lines[2], 1);
                unsetenv("XDG_DATA_HOME");
                if (!freopen("/dev/null", "w", stdout))
                    _exit(126);
                execl(lines[0], lines[0], lines[1], nullptr);
                _exit(127);
            }
            rusage usage{};
            int status = 0;
            wait4(child, &status, 0, &usage);
            timespec end{};
            clock_gettime(CLOCK_MONOTONIC, &end);
            const double reply[2]
                = {double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9,
                   double(usage.ru_maxrss) / 1024.0};
            if (write(replies, reply, sizeof reply) < 0)
                break;
        }
        _exit(0);
    }

    pid_t m_pid = -1;
    int m_requests = -1;
    int m_replies = -1;
};

void timeCommand(Launcher &launcher, const ReviewSequences &answers, const QString &folder)
{
    QFile::copy(QStringLiteral(MERKO_EXECUTABLE), folder + QStringLiteral("/merko"));
    const QString history = folder + QStringLiteral("/home/.local/share/merko/history.sqlite");
    QDir().mkpath(QFileInfo(history).path());
    {
        ReviewHistory writer(history);
        QString reason;
        if (!writer.ensureOpen()
            || !ImportAnswers(writer.database(),
                              AnswersOf(answers, 1760000000000, QStringLiteral("/d/a.slv")),
                              MemoryModel{}, &reason))
            std::fprintf(stderr, "history not written: %s\n", qPrintable(reason));
    }
    const QString program = folder + QStringLiteral("/merko");
    const QString home = folder + QStringLiteral("/home");
    const double versionMegabytes = launcher.run(program, QStringLiteral("--version"), home).second;
    std::vector<std::pair<double, double>> runs;
    for (int run = 0; run < 3; ++run) {
        QFile::remove(folder + QStringLiteral("/Merko.ini")); // each fits from the defaults
        runs.push_back(launcher.run(program, QStringLiteral("--optimize"), home));
    }
    std::sort(runs.begin(), runs.end());
    std::printf("merko --optimize: %.3f s (median of 3), peak memory %.1f MB (merko --version "
                "%.1f MB)\n",
                runs[1].first, runs[1].second, versionMegabytes);
}

void compareSpeed(Launcher &launcher, const QString &modules, const QString &folder)
{
    std::mt19937 random(99);
    const ReviewSequences answers
        = SimulateLearner(DrawLearnerWeights(random), {.cards = 10000, .days = 600, .seed = 99});
    QElapsedTimer timer;
    timer.start();
    FsrsFit::Fit(answers, Fsrs::DefaultWeights);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const std::optional<ReferenceFit> reference = referenceFit(modules, answers, folder);
    std::printf("fit of %lld answers on %lld cards: Merko %.3f s, reference %.3f s\n",
                qlonglong(answers.answers()), qlonglong(answers.cards()), seconds,
                reference ? reference->seconds : 0.0);
    timeCommand(launcher, answers, folder);
}

} // namespace

int main(int argc, char *argv[])
{
    Launcher launcher;
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
    compareSpeed(launcher, modules, folder.path());
    return 0;
}
