#include "settings.h"

#include "core/text_file.h"
#include "ini_file.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <limits>

std::optional<int> FixedOfferedSide(const Settings &settings)
{
    if (settings.sideChoice == SideChoice::AtRandom)
        return std::nullopt;
    return int(settings.sideChoice) + 1;
}

double DesiredRetention(const Settings &settings)
{
    return std::clamp(settings.desiredRetention, MinimumRetention, MaximumRetention) / 100.0;
}

MemoryModel MemoryModelOf(const Settings &settings)
{
    return {settings.memoryWeights.value_or(Fsrs::DefaultWeights), DesiredRetention(settings)};
}

bool CriterionPanelVisible(const Settings &settings)
{
    return settings.assessment == AssessmentMode::PercentMatch && settings.showCriterion;
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
    settings = Settings();
    const IniFile ini = IniFile::load(SettingsFilePath(programDirectory));
    const QString section = QLatin1String(SettingsSection);
    const auto integer = [&](const char *key, int defaultValue) {
        const auto text = ini.value(section, QLatin1String(key));
        return text ? ReadSettingsInteger(*text, defaultValue) : defaultValue;
    };
    // Out of range values are brought into range, as a radio group or spin field would.
    const auto clamped = [&](const char *key, int defaultValue, int largest) {
        return std::clamp(integer(key, defaultValue), 0, largest);
    };

    settings.dictionaryPath = ini.value(section, QStringLiteral("Slovnik")).value_or(QString());
    // The review schedule is 3; any other value above 2 still means "at random".
    const int pairChoice = integer("Cetnost", 0);
    settings.pairChoice = pairChoice == int(PairChoice::BySchedule)
                              ? PairChoice::BySchedule
                              : PairChoice(std::clamp(pairChoice, 0, 2));
    settings.sideChoice = SideChoice(clamped("PrimJazyk", 0, 2));
    settings.assessment = AssessmentMode(clamped("Hodnoceni", 0, 1));
    settings.threshold = clamped("ProcHodnoc", 90, 100);
    settings.showCriterion = integer("ProcZobraz", 0) != 0;
    settings.showPicture = integer("Obrazek", 0) != 0;
    settings.commentAfterWrongAnswer = integer("Komentar", 0) != 0;
    settings.desiredRetention
        = std::clamp(integer("Retence", 90), MinimumRetention, MaximumRetention);
    settings.newPerDay = clamped("NovychDenne", 20, MaximumNewPerDay);
    settings.speakOffered = integer("Vyslovovat", 0) != 0;
    settings.speakAnswer = integer("VyslovitOdpoved", 0) != 0;
    settings.showDifference = integer("UkazatRozdil", 0) != 0;
    settings.syncFolder = ini.value(section, QStringLiteral("SyncSlozka")).value_or(QString());
    settings.interfaceLanguage
        = ini.value(section, QStringLiteral("Rozhrani")).value_or(QString()).trimmed();
    const QString weights
        = ini.value(section, QStringLiteral("ParametryFSRS")).value_or(QString()).trimmed();
    if (!weights.isEmpty()) {
        settings.memoryWeights = Fsrs::WeightsFromText(weights);
        if (!settings.memoryWeights)
            settings.refusedWeights = weights;
    }
    settings.memoryWeightsDate = QDate::fromString(
        ini.value(section, QStringLiteral("ParametryFSRSDatum")).value_or(QString()).trimmed(),
        Qt::ISODate);

    if (!settings.dictionaryPath.isEmpty() && !QFileInfo(settings.dictionaryPath).isFile())
        return QString();
    return settings.dictionaryPath;
}

namespace {

// The synchronised folder's key, written once a folder is named, and then kept up to date;
// whether it was set.
bool setSyncFolder(IniFile &ini, const QString &folder)
{
    const QString section = QLatin1String(SettingsSection);
    if (folder.isEmpty() && !ini.value(section, QStringLiteral("SyncSlozka")))
        return false;
    ini.setValue(section, QStringLiteral("SyncSlozka"), folder);
    return true;
}

// The memory model's weights once fitted; the defaults again clear them. A refused value stays
// as the user wrote it while the defaults are in force. Whether the file changed.
bool setMemoryWeights(IniFile &ini, const Settings &settings)
{
    if (!settings.memoryWeights && !settings.refusedWeights.isEmpty())
        return false;
    const QString section = QLatin1String(SettingsSection);
    bool changed = false;
    const auto set = [&](const QString &key, const QString &value) {
        if (!value.isEmpty() || ini.value(section, key)) {
            ini.setValue(section, key, value);
            changed = true;
        }
    };
    const std::optional<Fsrs::Weights> &weights = settings.memoryWeights;
    set(QStringLiteral("ParametryFSRS"), weights ? Fsrs::WeightsText(*weights) : QString());
    set(QStringLiteral("ParametryFSRSDatum"),
        weights ? settings.memoryWeightsDate.toString(Qt::ISODate) : QString());
    return changed;
}

void save(const IniFile &ini, const QString &path)
{
    WriteFileSafely(path, JoinLines(ini.lines()), QStringLiteral("Unable to write to ") + path);
}

} // namespace

void WriteSettings(const Settings &settings, const QString &programDirectory)
{
    const QString path = SettingsFilePath(programDirectory);
    IniFile ini = IniFile::load(path);
    const QString section = QLatin1String(SettingsSection);
    const auto flag = [](bool on) {
        return on ? QStringLiteral("1") : QStringLiteral("0");
    };
    ini.setValue(section, QStringLiteral("Slovnik"), settings.dictionaryPath);
    ini.setValue(section, QStringLiteral("Cetnost"), QString::number(int(settings.pairChoice)));
    ini.setValue(section, QStringLiteral("PrimJazyk"), QString::number(int(settings.sideChoice)));
    ini.setValue(section, QStringLiteral("Hodnoceni"), QString::number(int(settings.assessment)));
    ini.setValue(section, QStringLiteral("ProcHodnoc"), QString::number(settings.threshold));
    ini.setValue(section, QStringLiteral("ProcZobraz"), flag(settings.showCriterion));
    ini.setValue(section, QStringLiteral("Obrazek"), flag(settings.showPicture));
    ini.setValue(section, QStringLiteral("Komentar"), flag(settings.commentAfterWrongAnswer));
    // The keys added later stay out of a file that never needed them.
    const Settings defaults;
    const auto laterValue = [&](const char *key, int value, int defaultValue) {
        if (value != defaultValue || ini.value(section, QLatin1String(key)))
            ini.setValue(section, QLatin1String(key), QString::number(value));
    };
    laterValue("Retence", settings.desiredRetention, defaults.desiredRetention);
    laterValue("NovychDenne", settings.newPerDay, defaults.newPerDay);
    laterValue("Vyslovovat", settings.speakOffered, defaults.speakOffered);
    laterValue("VyslovitOdpoved", settings.speakAnswer, defaults.speakAnswer);
    laterValue("UkazatRozdil", settings.showDifference, defaults.showDifference);
    if (!settings.interfaceLanguage.isEmpty() || ini.value(section, QStringLiteral("Rozhrani")))
        ini.setValue(section, QStringLiteral("Rozhrani"), settings.interfaceLanguage);
    setSyncFolder(ini, settings.syncFolder);
    save(ini, path);
}

void WriteMemoryWeights(const Settings &settings, const QString &programDirectory)
{
    const QString path = SettingsFilePath(programDirectory);
    IniFile ini = IniFile::load(path);
    if (setMemoryWeights(ini, settings))
        save(ini, path);
}

void WriteSyncFolder(const QString &folder, const QString &programDirectory)
{
    const QString path = SettingsFilePath(programDirectory);
    IniFile ini = IniFile::load(path);
    if (setSyncFolder(ini, folder))
        save(ini, path);
}
