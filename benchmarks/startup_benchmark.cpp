// Measures the program's start-up: from process start to the first pair on screen, with all
// nine windows created, the settings read and a 1000-pair dictionary loaded, on the offscreen
// platform; and the peak memory of the process. Usage: merko_startup_benchmark [runs]

#include "vocabulary/vocabulary_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Run
{
    double milliseconds = 0;
    long peakKilobytes = 0;
    bool ready = false;
};

Run runOnce(const std::string &probe)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDERR_FILENO);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(probe.c_str(), probe.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    Run run;
    char buffer[64];
    const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    run.milliseconds
        = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count();
    run.ready = got > 0 && std::string(buffer, std::size_t(got)).rfind("ready", 0) == 0;
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.peakKilobytes = usage.ru_maxrss;
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;

    QTemporaryDir folder;
    const QString probe = QDir(folder.path()).filePath(QStringLiteral("merko_startup_probe"));
    const QString built = QDir(QCoreApplication::applicationDirPath())
                              .filePath(QStringLiteral("merko_startup_probe"));
    if (!QFile::copy(built, probe)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(built));
        return 1;
    }
    QFile::setPermissions(probe, QFile::permissions(built));

    Vocabulary vocabulary;
    vocabulary.theme = QString::fromUtf8("*čeština-němčina, velká lekce");
    for (int i = 0; i < Vocabulary::Capacity; ++i) {
        VocabularyEntry entry;
        entry.side[1] = QString::fromUtf8("žluťoučký kůň %1, úpěl").arg(i);
        entry.side[2] = QString::fromUtf8("gelb[es|er] Pferd %1, schön").arg(i);
        entry.offers[1] = i % 9;
        vocabulary.entries.append(entry);
    }
    const QString dictionary = QDir(folder.path()).filePath(QStringLiteral("velky.slv"));
    WriteVocabularyFile(dictionary, vocabulary);
    QFile settings(QDir(folder.path()).filePath(QStringLiteral("Merko.ini")));
    settings.open(QIODevice::WriteOnly);
    settings.write("[Setup]\r\nSlovnik=" + dictionary.toLocal8Bit() + "\r\nHodnoceni=1\r\n");
    settings.close();

    std::vector<double> times;
    long peak = 0;
    runOnce(probe.toStdString()); // warms the file cache
    for (int i = 0; i < runs; ++i) {
        const Run run = runOnce(probe.toStdString());
        if (!run.ready) {
            std::fprintf(stderr, "the program did not reach its first pair\n");
            return 1;
        }
        times.push_back(run.milliseconds);
        peak = std::max(peak, run.peakKilobytes);
    }
    std::sort(times.begin(), times.end());
    std::printf("start-up to the first pair, %d runs: median %.1f ms, min %.1f ms, max %.1f ms\n",
                runs, times[times.size() / 2], times.front(), times.back());
    std::printf("peak memory: %.1f MB\n", double(peak) / 1024.0);
    return 0;
}
