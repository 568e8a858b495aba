#include "history/progress_window.h"
#include "history_fill.h"
#include "settings/settings.h"
#include "vocabulary/current_dictionary.h"
#include "widgets/prompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

// The progress window opened over a history of 100,000 answers on a 1000-pair dictionary, until
// its first page has been drawn: every aggregate read, every chart built, the page painted.
static void BM_OpenProgressWindow(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("lekce.slv"));
    QByteArray lines;
    for (int i = 0; i < 1000; ++i)
        lines += (PairNumber(i).side1 + QStringLiteral(" / ") + PairNumber(i).side2).toUtf8()
                 + "\r\n";
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    out.write(lines);
    out.close();
    CurrentDictionary dictionary;
    dictionary.open(file, CurrentDictionary::Sharing::ShareWithOtherCopies);
    const QString database = HistoryFilePath(dir.path());
    FillHistory(database, 1000, 100000, dictionary.path());
    ReviewHistory history(database);
    Settings settings;
    MessageBoxPrompts prompts;
    for (auto _ : state) {
        ProgressWindow window(history, dictionary, settings, prompts,
                              [] { return HistoryFillNow; });
        window.show();
        const QPixmap page = window.pages()->currentWidget()->grab();
        benchmark::DoNotOptimize(page);
    }
}
BENCHMARK(BM_OpenProgressWindow)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCoreApplication::addLibraryPath(QStringLiteral(MERKO_MODULES_DIR)); // the built modules
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
