#pragma once

#include <QString>
#include <QList>

#include <functional>

// The languages of the interface: Czech, the language the texts are written in, and those
// with a translation (":/i18n/merko_<code>.qm"), each with its name in itself. The settings
// keep a code under "Rozhrani", or none for "as the desktop asks".
struct InterfaceLanguage
{
    QString code;    // "en"
    QString ownName; // "English"
};
inline constexpr char SourceLanguage[] = "cs";
QList<InterfaceLanguage> InterfaceLanguages();
bool IsInterfaceLanguage(const QString &code);

// The language the user's locale asks for, as the C library reads it: the list in LANGUAGE
// first (unless the locale is "C" or "POSIX"), then LC_ALL, LC_MESSAGES and LANG, the first of
// those set. The first wanted language that the program has wins; Czech when none does.
// `variable` gives an environment variable's value, empty when it is not set.
QString LocaleInterfaceLanguage(const std::function<QString(const char *)> &variable);

// The language of this run: the settings' choice when it names a language the program has,
// otherwise the locale's.
QString InterfaceLanguageOfRun(const QString &choice,
                               const std::function<QString(const char *)> &variable);

// The choice kept in the settings file of that folder; empty when there is none or the file
// cannot be read (the program then follows the desktop, and says why once it has windows).
QString ReadInterfaceLanguageChoice(const QString &dataDirectory);
