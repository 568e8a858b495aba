#include "interface_language.h"

#include "core/file_error.h"
#include "settings.h"

#include <QRegularExpression>

QStringList InterfaceLanguages()
{
    return {QLatin1String(SourceLanguage), QStringLiteral("en")};
}

namespace {

// "en_GB.UTF-8@euro" and "en-gb" both ask for English.
QString languageOf(const QString &locale)
{
    static const QRegularExpression separator(QStringLiteral("[_.@-]"));
    return locale.section(separator, 0, 0).toLower();
}

} // namespace

QString LocaleInterfaceLanguage(const std::function<QString(const char *)> &variable)
{
    QString locale;
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = variable(name);
        if (!locale.isEmpty())
            break;
    }
    QStringList wanted;
    if (locale != QLatin1String("C") && locale != QLatin1String("POSIX") && !locale.isEmpty())
        wanted = variable("LANGUAGE").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    wanted.append(locale);
    const QStringList available = InterfaceLanguages();
    for (const QString &entry : std::as_const(wanted)) {
        const QString language = languageOf(entry);
        if (available.contains(language))
            return language;
    }
    return QLatin1String(SourceLanguage);
}

QString InterfaceLanguageOfRun(const QString &choice,
                               const std::function<QString(const char *)> &variable)
{
    return InterfaceLanguages().contains(choice) ? choice : LocaleInterfaceLanguage(variable);
}

QString ReadInterfaceLanguageChoice(const QString &dataDirectory)
{
    Settings settings;
    try {
        ReadSettings(settings, dataDirectory);
    } catch (const FileError &) {
        return QString();
    }
    return settings.interfaceLanguage;
}
