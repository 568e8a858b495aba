#pragma once

#include "vocabulary.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The languages of a dictionary's two sides as ISO 639-1 codes ("cs", "de"); empty: unknown.
struct SideLanguages
{
    QString side[3]; // index 0 unused, as for the sides of a pair

    friend bool operator==(const SideLanguages &, const SideLanguages &) = default;
};

// The languages a theme names, in their order, by their Czech or English names or their own:
// "čeština-němčina" gives cs and de, "English-Spanish basics" en and es. One foreign language alone
// is taken for the second side of a Czech dictionary; a theme that names none gives Czech for the
// first side and nothing for the second.
SideLanguages GuessLanguages(const QString &theme);

// The line of the program's own that keeps the languages in the dictionary, right after the
// theme: a line that begins with '*' and that every reader skips.
QString LanguagesLine(const SideLanguages &languages);
// The languages the dictionary's own line names, when it has one.
std::optional<SideLanguages> StoredLanguages(const Vocabulary &vocabulary);
// The stored languages, or else those its theme names.
SideLanguages LanguagesOf(const Vocabulary &vocabulary);
// The languages the dictionary says: its line, or those its theme names; an empty side where
// nothing says it (no Czech taken for granted).
SideLanguages NamedLanguages(const Vocabulary &vocabulary);
// Puts the line into the dictionary (replacing one it has), right after its theme; with a side
// unknown, the dictionary has no such line.
void StoreLanguages(Vocabulary &vocabulary, const SideLanguages &languages);

// A language's name as it follows "pro" ("ruštinu"), or the code itself when it is not known.
QString LanguageAccusative(const QString &code);
// The code a choice stands for: "němčina (de)", "de" or "němčina" give "de"; anything else
// nothing.
QString LanguageCodeOf(const QString &choice);
// The codes and Czech names ("němčina") of the languages the program knows by name.
QList<std::pair<QString, QString>> KnownLanguages();
