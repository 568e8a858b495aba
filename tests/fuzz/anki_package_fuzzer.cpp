// An Anki package of any bytes: reading it either refuses it with a message or gives a
// collection, whose dictionaries and answers can always be made; nothing crashes, and nothing
// is unpacked beyond the limit.

#include "core/file_error.h"
#include "exchange/anki_import.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("fuzz.apkg"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    try {
        const std::optional<AnkiCollection> collection
            = ReadAnkiPackage(path, {}, AnkiPackageLimits{1 << 20});
        if (!collection)
            std::abort(); // nothing asked it to stop
        const AnkiImport import = BuildAnkiImport(*collection, {}, QStringLiteral("fuzz"));
        for (const AnkiDictionary &dictionary : import.dictionaries) {
            for (const AnkiAnswer &answer : dictionary.answers) {
                if (answer.pair < 0 || answer.pair >= dictionary.content.pairs.size())
                    std::abort();
            }
        }
    } catch (const FileError &) {
    }
    return 0;
}
