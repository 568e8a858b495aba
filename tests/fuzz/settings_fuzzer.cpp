// The settings file: any bytes read without harm; a value set is read back, and every other
// line stays as it was.

#include "settings/ini_file.h"
#include "settings/settings.h"

#include "core/text_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    IniFile ini = IniFile::fromBytes(bytes);
    const QString section = QStringLiteral("Setup");
    for (const char *key : {"Slovnik", "Cetnost", "PrimJazyk", "Hodnoceni", "ProcHodnoc",
                            "ProcZobraz", "Obrazek", "Komentar"}) {
        if (const auto text = ini.value(section, QLatin1String(key)))
            ReadSettingsInteger(*text, 0);
    }
    const QStringList before = ini.lines();
    ini.setValue(section, QStringLiteral("Cetnost"), QStringLiteral("2"));
    const IniFile again = IniFile::fromBytes(JoinLines(ini.lines()));
    if (again.value(section, QStringLiteral("Cetnost")) != QStringLiteral("2"))
        std::abort();
    // One line replaced or added, with a new section's header and the blank line before it:
    // nothing else goes, and the lines that were there stay in their order.
    if (ini.lines().size() < before.size() || ini.lines().size() > before.size() + 3)
        std::abort();
    const QStringList &after = ini.lines();
    if (after.size() == before.size()) {
        // The key's line replaced in place.
        qsizetype changed = 0;
        for (qsizetype i = 0; i < after.size(); ++i)
            changed += after.at(i) != before.at(i) ? 1 : 0;
        if (changed > 1)
            std::abort();
    } else {
        // Lines added: every old line is still there, in its order.
        qsizetype kept = 0;
        for (const QString &line : after) {
            if (kept < before.size() && line == before.at(kept))
                ++kept;
        }
        if (kept != before.size())
            std::abort();
    }
    return 0;
}
