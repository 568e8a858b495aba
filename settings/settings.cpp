#include "settings.h"

#include "app/file_error.h"
#include "app/text_file.h"
#include "ini_file.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <limits>

void Settings::Clamp()
{
    Cetnost = std::clamp(Cetnost, 0, 2);
    PrimJazyk = std::clamp(PrimJazyk, 0, 2);
    Hodnoceni = std::clamp(Hodnoceni, 0, 1);
    ProcHodnoc = std::clamp(ProcHodnoc, 0, 100);
}

QString ProgramDirectory(const QString &executablePath)
{
    return QFileInfo(executablePath).absolutePath();
}

QString SettingsFilePath(const QString &programDirectory)
{
    return QDir(programDirectory).absoluteFilePath(QLatin1String(SettingsFileName));
}

QString ChooseDataDirectory(const QString &programDirectory, const QString &configDirectory)
{
    // Trying is the only sure test: permission bits say nothing for root or read-only mounts.
    QTemporaryFile probe(QDir(programDirectory).filePath(QStringLiteral("merko-XXXXXX.tmp")));
    if (probe.open())
        return programDirectory;
    QDir().mkpath(configDirectory);
    return configDirectory;
}

int ReadSettingsInteger(const QString &text, int defaultValue)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).unicode() <= 32)
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (text.mid(i, 1) == QLatin1String("$")) {
        base = 16;
        i += 1;
    } else if (text.mid(i, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0) {
        base = 16;
        i += 2;
    }
    const QString digits = text.mid(i);
    if (digits.isEmpty())
        return defaultValue;
    for (QChar c : digits) {
        const bool digit = (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                           || (base == 16 && QStringLiteral("abcdefABCDEF").contains(c));
        if (!digit)
            return defaultValue;
    }
    bool ok = false;
    const qint64 magnitude = digits.toLongLong(&ok, base);
    // Hexadecimal values may use all 32 bits; decimal ones must fit a signed integer.
    const qint64 limit
        = base == 16 ? 0xFFFFFFFFLL : qint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    if (!ok || magnitude > limit)
        return defaultValue;
    const qint64 value = negative ? -magnitude : magnitude;
    return int(std::uint32_t(value));
}

QString ReadSettings(Settings &settings, const QString &programDirectory)
{
    const IniFile ini = IniFile::load(SettingsFilePath(programDirectory));
    const QString section = QLatin1String(SettingsSection);
    const auto integer = [&](const char *key, int defaultValue) {
        const auto text = ini.value(section, QLatin1String(key));
        return text ? ReadSettingsInteger(*text, defaultValue) : defaultValue;
    };

    settings = Settings();
    settings.Slovnik = ini.value(section, QStringLiteral("Slovnik")).value_or(QString());
    settings.Cetnost = integer("Cetnost", 0);
    settings.PrimJazyk = integer("PrimJazyk", 0);
    settings.Hodnoceni = integer("Hodnoceni", 0);
    settings.ProcHodnoc = integer("ProcHodnoc", 90);
    settings.ProcZobraz = integer("ProcZobraz", 0) != 0;
    settings.Obrazek = integer("Obrazek", 0) != 0;
    settings.Komentar = integer("Komentar", 0) != 0;
    settings.Clamp();

    if (!settings.Slovnik.isEmpty() && !QFileInfo(settings.Slovnik).isFile())
        return QString();
    return settings.Slovnik;
}

void WriteSettings(const Settings &settings, const QString &programDirectory)
{
    const QString path = SettingsFilePath(programDirectory);
    IniFile ini = IniFile::load(path);
    const QString section = QLatin1String(SettingsSection);
    const auto flag = [](bool on) {
        return on ? QStringLiteral("1") : QStringLiteral("0");
    };
    ini.setValue(section, QStringLiteral("Slovnik"), settings.Slovnik);
    ini.setValue(section, QStringLiteral("Cetnost"), QString::number(settings.Cetnost));
    ini.setValue(section, QStringLiteral("PrimJazyk"), QString::number(settings.PrimJazyk));
    ini.setValue(section, QStringLiteral("Hodnoceni"), QString::number(settings.Hodnoceni));
    ini.setValue(section, QStringLiteral("ProcHodnoc"), QString::number(settings.ProcHodnoc));
    ini.setValue(section, QStringLiteral("ProcZobraz"), flag(settings.ProcZobraz));
    ini.setValue(section, QStringLiteral("Obrazek"), flag(settings.Obrazek));
    ini.setValue(section, QStringLiteral("Komentar"), flag(settings.Komentar));
    try {
        WriteFileSafely(path, JoinLines(ini.lines()));
    } catch (const FileError &) {
        throw FileError(QStringLiteral("Unable to write to ") + path);
    }
}
