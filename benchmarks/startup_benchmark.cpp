// Measures the program's start-up: from process start to the first pair on screen, with the
// settings read and a 1000-pair dictionary loaded, on the offscreen platform; the peak memory
// of the process; and, as the yardstick, the start of a bare Qt window on the same machine, also
// with every library the program links loaded, which tells the libraries' share from the
// program's own. Offscreen unless --display is given: then on the desktop's display ($DISPLAY),
// where the window also has to be mapped by the display server before it is painted.
// Usage: merko_startup_benchmark [runs] [--display]

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

Run runOnce(const std::string &probe, bool offscreen)
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
        if (offscreen)
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

// A 1000-pair dictionary in the folder, named in the settings beside the probes.
void writeDictionaryAndSettings(const QString &folder)
{
    Vocabulary vocabulary;
    vocabulary.theme = QString::fromUtf8("*čeština-němčina, velká lekce");
    for (int i = 0; i < Vocabulary::Capacity; ++i) {
        VocabularyEntry entry;
        entry.side[1] = QString::fromUtf8("žluťoučký kůň %1, úpěl").arg(i);
        entry.side[2] = QString::fromUtf8("gelb[es|er] Pferd %1, schön").arg(i);
        entry.offers[1] = i % 9;
        vocabulary.entries.append(entry);
    }
    const QString dictionary = QDir(folder).filePath(QStringLiteral("velky.slv"));
    WriteVocabularyFile(dictionary, vocabulary);
    QFile settings(QDir(folder).filePath(QStringLiteral("Merko.ini")));
    settings.open(QIODevice::WriteOnly);
    settings.write("[Setup]\r\nSlovnik=" + dictionary.toLocal8Bit() + "\r\nHodnoceni=1\r\n");
    settings.close();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const bool offscreen = !(argc > 2 && std::string(argv[2]) == "--display");

    QTemporaryDir folder;
    // Copies of the probes, so that the program finds its settings beside itself.
    const auto copyProbe = [&folder](const char *name) {
        const QString copy = QDir(folder.path()).filePath(QLatin1String(name));
        const QString built
            = QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(name));
        if (!QFile::copy(built, copy)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(built));
            std::exit(1);
        }
        QFile::setPermissions(copy, QFile::permissions(built));
        return copy.toStdString();
    };
    const std::string probe = copyProbe("merko_startup_probe");
    const std::string bareWindow = copyProbe("merko_bare_window_probe");
    const std::string bareWithLibraries = copyProbe("merko_bare_window_libraries_probe");

    writeDictionaryAndSettings(folder.path());

    // The probes run in turn, each run of one beside a run of the others, so that a change of
    // the machine's load falls on all of them alike.
    struct Series
    {
        std::vector<double> times;
        long peak = 0;
        double median() const { return times[times.size() / 2]; }
    };
    const std::vector<std::string> probes = {probe, bareWindow, bareWithLibraries};
    std::vector<Series> series(probes.size());
    for (const std::string &path : probes)
        runOnce(path, offscreen); // warms the file cache
    for (int i = 0; i < runs; ++i) {
        for (std::size_t p = 0; p < probes.size(); ++p) {
            const Run run = runOnce(probes[p], offscreen);
            if (!run.ready) {
                std::fprintf(stderr, "%s did not get ready\n", probes[p].c_str());
                return 1;
            }
            series[p].times.push_back(run.milliseconds);
            series[p].peak = std::max(series[p].peak, run.peakKilobytes);
        }
    }
    for (Series &one : series)
        std::sort(one.times.begin(), one.times.end());
    const Series &program = series[0];
    const Series &bare = series[1];
    const Series &libraries = series[2];
    std::printf("%s\n", offscreen ? "offscreen" : "on the display");
    std::printf("start-up to the first pair, %d runs: median %.1f ms, min %.1f ms, max %.1f ms\n",
                runs, program.median(), program.times.front(), program.times.back());
    std::printf("bare Qt window, %d runs: median %.1f ms, min %.1f ms, max %.1f ms\n", runs,
                bare.median(), bare.times.front(), bare.times.back());
    std::printf("ratio of the medians: %.2f\n", program.median() / bare.median());
    // Where the difference goes: loading the libraries the program links, and its own work.
    std::printf("the bare window loading the program's libraries: median %.1f ms (%.2f); the "
                "program's own start: %.1f ms\n",
                libraries.median(), libraries.median() / bare.median(),
                program.median() - libraries.median());
    std::printf("peak memory: %.1f MB (bare window %.1f MB)\n", double(program.peak) / 1024.0,
                double(bare.peak) / 1024.0);
    return 0;
}
