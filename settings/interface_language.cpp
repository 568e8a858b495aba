#include "interface_language.h"

#include "core/file_error.h"
#include "settings.h"

#include <QLocale>

#include <algorithm>

QList<InterfaceLanguage> InterfaceLanguages()
{
    return {{QLatin1String(SourceLanguage), QStringLiteral("čeština")},
            {QStringLiteral("en"), QStringLiteral("English")}};
}

bool IsInterfaceLanguage(const QString &code)
{
    const QList<InterfaceLanguage> languages = InterfaceLanguages();
    return std::any_of(
        languages.begin(), languages.end(),
        [&code](const InterfaceLanguage &language) { return language.code == code; });
}

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
    for (const QString &entry : std::as_const(wanted)) {
        // QLocale reads "en_GB.UTF-8@euro" and "en-gb" alike, and "C" as no language.
        const QString language = QLocale::languageToCode(QLocale(entry).language());
        if (IsInterfaceLanguage(language))
            return language;
    }
    return QLatin1String(SourceLanguage);
}

QString InterfaceLanguageOfRun(const QString &choice,
                               const std::function<QString(const char *)> &variable)
{
    return IsInterfaceLanguage(choice) ? choice : LocaleInterfaceLanguage(variable);
}

QString ReadInterfaceLanguageChoice(const QString &dataDirectory)
{
    // Settings that cannot be read choose nothing: the start tells of them in their language.
    Settings settings;
    if (FileFailureOf([&] { ReadSettings(settings, dataDirectory); }))
        return QString();
    return settings.interfaceLanguage;
}
