// Measures the program's start-up: from process start to the first pair on screen, with the
// settings read and a 1000-pair dictionary loaded, on the offscreen platform; the peak memory
// of the process; and, as the yardstick, the start of a bare Qt window on the same machine, also
// with every library the program links loaded, which tells the libraries' share from the
// program's own. Offscreen unless --display is given: then on the desktop's display ($DISPLAY),
// where the window also has to be mapped by the display server before it is painted.
// On the display it also times, from outside as a user would see it, the moment the display
// server maps each probe's window.
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
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <xcb/xcb.h>

namespace {

struct Run
{
    double milliseconds = 0;
    double mappedMilliseconds = 0; // on the display: until the window was mapped
    long peakKilobytes = 0;
    bool ready = false;
};

// A client of the display server that hears of every window mapped on the screen.
class MapWatch
{
public:
    MapWatch()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~MapWatch() { xcb_disconnect(m_connection); }
    bool works() const { return !xcb_connection_has_error(m_connection); }
    // Waits for the next top-level window (not a menu or a tooltip) to be mapped; false when
    // the probe spoke or ended (`probeOutput` readable) and no window came within a second
    // after it: a probe that fails before its window shows does not hold the harness.
    bool waitForMap(int probeOutput)
    {
        int wait = -1;
        for (;;) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                const bool mapped
                    = (event->response_type & 0x7f) == XCB_MAP_NOTIFY
                      && !reinterpret_cast<xcb_map_notify_event_t *>(event)->override_redirect;
                std::free(event);
                if (mapped)
                    return true;
            }
            if (xcb_connection_has_error(m_connection))
                return false;
            pollfd watched[]
                = {{xcb_get_file_descriptor(m_connection), POLLIN, 0}, {probeOutput, POLLIN, 0}};
            const int ready = poll(watched, wait < 0 ? 2 : 1, wait);
            if (ready == 0)
                return false; // the second after the probe's word is over
            if (wait < 0 && watched[1].revents != 0)
                wait = 1000;
        }
    }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
};

Run runOnce(const std::string &probe, MapWatch *display)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    const auto start = std::chrono::steady_clock::now();
    const auto since = [&start] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count();
    };
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDERR_FILENO);
        if (!display)
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(probe.c_str(), probe.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    Run run;
    const bool mapped = !display || display->waitForMap(pipeEnds[0]);
    if (display)
        run.mappedMilliseconds = since();
    char buffer[64];
    const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    run.milliseconds = since();
    run.ready = mapped && got > 0 && std::string(buffer, std::size_t(got)).rfind("ready", 0) == 0;
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
    std::unique_ptr<MapWatch> display;
    if (!offscreen) {
        display = std::make_unique<MapWatch>();
        if (!display->works()) {
            std::fprintf(stderr, "no display to measure on: DISPLAY names none\n");
            return 1;
        }
    }

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
        std::vector<double> mappedTimes;
        long peak = 0;
        double median() const { return times[times.size() / 2]; }
        double mappedMedian() const { return mappedTimes[mappedTimes.size() / 2]; }
    };
    const std::vector<std::string> probes = {probe, bareWindow, bareWithLibraries};
    std::vector<Series> series(probes.size());
    for (const std::string &path : probes)
        runOnce(path, display.get()); // warms the file cache
    for (int i = 0; i < runs; ++i) {
        for (std::size_t p = 0; p < probes.size(); ++p) {
            const Run run = runOnce(probes[p], display.get());
            if (!run.ready) {
                std::fprintf(stderr, "%s did not get ready\n", probes[p].c_str());
                return 1;
            }
            series[p].times.push_back(run.milliseconds);
            series[p].mappedTimes.push_back(run.mappedMilliseconds);
            series[p].peak = std::max(series[p].peak, run.peakKilobytes);
        }
    }
    for (Series &one : series) {
        std::sort(one.times.begin(), one.times.end());
        std::sort(one.mappedTimes.begin(), one.mappedTimes.end());
    }
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
    if (display)
        std::printf("to the window mapped: median %.1f ms, the bare window %.1f ms (%.2f), with "
                    "the program's libraries %.1f ms (%.2f)\n",
                    program.mappedMedian(), bare.mappedMedian(),
                    program.mappedMedian() / bare.mappedMedian(), libraries.mappedMedian(),
                    libraries.mappedMedian() / bare.mappedMedian());
    return 0;
}
