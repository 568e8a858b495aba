#include "../tests/anki_package_maker.h"
#include "exchange/anki_import.h"
#include "history/answer_import.h"
#include "vocabulary/vocabulary_file.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr int Notes = 10000;
constexpr int Reviews = 100000;
constexpr qint64 Start = 1600000000000;

// Ten thousand notes of two cards in ten decks, with a hundred thousand reviews over two
// years: what years of learning in the other program leave.
MadeCollection largeCollection()
{
    MadeCollection collection = SmallCollection(0);
    for (int deck = 0; deck < 10; ++deck)
        collection.decks.append({100 + deck, QStringLiteral("Jazyky::Lekce %1").arg(deck + 1)});
    for (int note = 0; note < Notes; ++note)
        collection.notes.append({Start + note,
                                 1000,
                                 {QStringLiteral("<b>slovo</b>&nbsp;%1").arg(note),
                                  QStringLiteral("Wort %1<br>").arg(note)},
                                 100 + note % 10});
    std::mt19937 random(11);
    const qint64 spread = 730 * MsPerDay / Reviews;
    for (int review = 0; review < Reviews; ++review) {
        const qint64 note = Start + qint64(random() % Notes);
        collection.reviews.append({Start + review * spread, note * 10 + qint64(random() % 2),
                                   int(random() % 4) + 1, int(random() % 3)});
    }
    return collection;
}

} // namespace

// The whole import of a package of 10,000 notes with 100,000 reviews: the archive read and
// its database unpacked and read, the pairs made, ten dictionaries written and read back, the
// reviews taken into a new history and every card computed from them (wall time; the program
// does it off the window's thread behind a progress dialog).
static void BM_ImportAnkiPackage(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString package = QDir(dir.path()).filePath(QStringLiteral("velky.apkg"));
    WriteAnkiPackage(package, largeCollection(), AnkiForm::Anki21b);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QDir target(QDir(dir.path()).filePath(QStringLiteral("round%1").arg(round++)));
        target.mkpath(QStringLiteral("."));
        ReviewHistory history(target.filePath(QStringLiteral("history.sqlite")));
        history.ensureOpen();
        state.ResumeTiming();
        const std::optional<AnkiCollection> collection = ReadAnkiPackage(package);
        const AnkiImport import = BuildAnkiImport(*collection, {}, QString());
        QList<AnswerRecord> answers;
        for (const AnkiDictionary &dictionary : import.dictionaries) {
            const QString path = target.filePath(dictionary.content.title + QStringLiteral(".slv"));
            WriteVocabularyFile(path, DictionaryFromImport(dictionary.content));
            Vocabulary written;
            ReadVocabularyFile(path, written);
            answers += AnkiAnswerRecords(dictionary, written, path);
        }
        QString reason;
        if (ImportAnswers(history.database(), answers, MemoryModel{}, &reason) != import.reviews
            || import.reviews < Reviews / 2)
            state.SkipWithError("not every review was taken");
    }
}
BENCHMARK(BM_ImportAnkiPackage)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
