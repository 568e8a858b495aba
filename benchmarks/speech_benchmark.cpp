#include "tests/speech_server.h"
#include "drill/speaker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

// Speech measured against a recording speech-dispatcher (no sound): how long the caller (the
// GUI thread) is held by creating the speaker and by asking it to say a word, how long until
// the word reaches the engine, and the longest gap between the caller's timer ticks while the
// engine is created and while words are said. Goals: every hold and gap under 10 ms, the
// request at the engine within 10 ms.
namespace {

double ms(qint64 nanoseconds)
{
    return double(nanoseconds) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const int words = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    if (!RecordingSpeechServer::available()) {
        std::puts("speech-dispatcher is not installed: nothing measured");
        return 0;
    }
    QTemporaryDir dir;
    RecordingSpeechServer server(dir.path());
    if (!server.start()) {
        std::puts("the recording speech-dispatcher did not start");
        return 1;
    }

    // The caller's heartbeat: the longest time between two ticks of a 1 ms timer.
    QElapsedTimer beat;
    beat.start();
    qint64 lastBeat = 0;
    qint64 longestGap = 0;
    QTimer heart;
    heart.setInterval(1);
    QObject::connect(&heart, &QTimer::timeout, [&] {
        const qint64 now = beat.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastBeat);
        lastBeat = now;
    });

    QElapsedTimer clock;
    clock.start();
    Speaker speaker;
    const double creation = ms(clock.nsecsElapsed());
    qint64 askedAt = 0;
    std::vector<double> latencies;
    QObject::connect(&speaker, &Speaker::handedOver,
                     [&] { latencies.push_back(ms(clock.nsecsElapsed() - askedAt)); });
    heart.start();
    lastBeat = beat.nsecsElapsed();

    double longestSay = 0;
    for (int i = 0; i <= words; ++i) {
        const qint64 before = clock.nsecsElapsed();
        askedAt = before;
        speaker.say(QStringLiteral("slovo %1").arg(i), QStringLiteral("cs"));
        longestSay = std::max(longestSay, ms(clock.nsecsElapsed() - before));
        // The caller's event loop runs meanwhile, as the program's does.
        QEventLoop loop;
        QObject::connect(&speaker, &Speaker::handedOver, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        if (latencies.size() <= size_t(i))
            loop.exec();
    }
    heart.stop();
    const double first = latencies.empty() ? -1 : latencies.front();
    std::vector<double> later(latencies.begin() + std::min<size_t>(1, latencies.size()),
                              latencies.end());
    std::printf("speaker created on the caller's thread: %.2f ms\n", creation);
    std::printf("say() on the caller's thread, longest of %d: %.3f ms\n", words + 1, longestSay);
    std::printf("first word at the engine (the engine created meanwhile): %.1f ms\n", first);
    std::printf("later words at the engine: median %.2f ms, longest %.2f ms\n", median(later),
                later.empty() ? 0 : *std::max_element(later.begin(), later.end()));
    std::printf("longest gap between the caller's 1 ms ticks: %.2f ms\n", ms(longestGap));
    return 0;
}
