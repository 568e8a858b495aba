// The dictionary file's round trip: whatever the bytes, reading either refuses them or gives a
// dictionary that, written and read again, is the same dictionary, and written again the same
// bytes. The answers of a session (on every pair whose line can hold counters) survive it.

#include "core/file_error.h"
#include "vocabulary/vocabulary_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    Vocabulary first;
    try {
        first = ParseVocabularyFile(bytes, QStringLiteral("fuzz.slv"));
    } catch (const FileError &) {
        return 0; // no dictionary: it is never written
    }
    for (qsizetype i = 0; i < first.entries.size(); ++i) {
        if (first.shape.forms.at(i) != PairLineForm::Unchanged)
            first.entries[i].offers[1 + int(i % 2)] += 1;
    }
    const QByteArray written = FormatVocabularyFile(first);
    const Vocabulary second = ParseVocabularyFile(written, QStringLiteral("fuzz.slv"));
    if (second.entries != first.entries || second.theme != first.theme)
        std::abort();
    if (FormatVocabularyFile(second) != written)
        std::abort();
    return 0;
}
