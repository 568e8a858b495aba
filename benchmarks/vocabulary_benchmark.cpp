#include "exchange/kvtml.h"
#include "exchange/separated_text.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

// A full dictionary of 1000 pairs of 148-character lines with diacritics.
static Vocabulary fullDictionary()
{
    Vocabulary vocabulary;
    vocabulary.theme = QString::fromUtf8("*čeština-němčina, velká lekce");
    for (int i = 0; i < Vocabulary::Capacity; ++i) {
        VocabularyEntry entry;
        entry.side[1] = QString::fromUtf8("žluťoučký kůň %1, úpěl").arg(i);
        entry.comment[1] = QStringLiteral("kůň");
        entry.side[2] = QString::fromUtf8("gelb[es|er] Pferd %1, schön").arg(i);
        entry.offers[1] = i;
        entry.errors[2] = i % 7;
        vocabulary.entries.append(entry);
    }
    return vocabulary;
}

// Read and write back a full dictionary.
static void BM_ReadAndWriteBackDictionary(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("velky.slv"));
    WriteVocabularyFile(path, fullDictionary());

    for (auto _ : state) {
        Vocabulary read;
        ReadVocabularyFile(path, read);
        WriteVocabularyFile(path, read);
        benchmark::DoNotOptimize(read.entries.data());
    }
}
BENCHMARK(BM_ReadAndWriteBackDictionary)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Read and write back a full dictionary in UTF-8: Spanish and Russian on the two sides.
static void BM_ReadAndWriteBackUtf8Dictionary(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("ruspan.slv"));
    Vocabulary vocabulary;
    vocabulary.theme = QString::fromUtf8("*španělština-ruština, velká lekce");
    vocabulary.encoding = TextEncoding::Utf8WithBom;
    for (int i = 0; i < Vocabulary::Capacity; ++i) {
        VocabularyEntry entry;
        entry.side[1] = QString::fromUtf8("¿Qué tal, señor %1? mañana").arg(i);
        entry.comment[1] = QStringLiteral("ñ");
        entry.side[2] = QString::fromUtf8("красив[ый|ая] дом %1, здесь").arg(i);
        entry.offers[1] = i;
        entry.errors[2] = i % 7;
        vocabulary.entries.append(entry);
    }
    WriteVocabularyFile(path, vocabulary);

    for (auto _ : state) {
        Vocabulary read;
        ReadVocabularyFile(path, read);
        read.at(1).offers[1] += 1;
        WriteVocabularyFile(path, read);
        benchmark::DoNotOptimize(read.entries.data());
    }
}
BENCHMARK(BM_ReadAndWriteBackUtf8Dictionary)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// What one answer costs on the interface thread beyond the drill itself: a full dictionary
// written back with the file checked for another writer first; with `journaled`, the new content
// kept in the journal until the file holds it, as the program does.
static void saveAfterAnswer(benchmark::State &state, bool journaled)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("velky.slv"));
    WriteVocabularyFile(path, fullDictionary());
    Vocabulary vocabulary;
    ReadVocabularyFile(path, vocabulary);
    vocabulary.path = path;
    const WriteJournal journal(journaled ? QDir(dir.path()).filePath(QStringLiteral("journal"))
                                         : QString());
    int position = 1;
    for (auto _ : state) {
        ++vocabulary.at(position).offers[1];
        position = position % vocabulary.count() + 1;
        benchmark::DoNotOptimize(SaveVocabulary(vocabulary, journal).written);
    }
}

static void BM_SaveAfterAnswer(benchmark::State &state)
{
    saveAfterAnswer(state, false);
}
BENCHMARK(BM_SaveAfterAnswer)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

static void BM_SaveAfterAnswerJournaled(benchmark::State &state)
{
    saveAfterAnswer(state, true);
}
BENCHMARK(BM_SaveAfterAnswerJournaled)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Importing a KVTML file of 1000 entries and writing the dictionary it makes.
static void BM_ImportKvtmlAndWriteDictionary(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("import.slv"));
    Vocabulary source = fullDictionary();
    for (VocabularyEntry &entry : source.entries)
        SetCounters(entry, {});
    const QByteArray kvtml = ExportKvtml(source);
    for (auto _ : state) {
        const Vocabulary imported = DictionaryFromImport(ImportVocabulary(kvtml));
        WriteVocabularyFile(path, imported);
        benchmark::DoNotOptimize(imported.entries.data());
    }
}
BENCHMARK(BM_ImportKvtmlAndWriteDictionary)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
