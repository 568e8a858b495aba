#include "languages.h"

#include "core/text_file.h"

#include <QRegularExpression>

#include <algorithm>
#include <type_traits>

namespace {

struct Language
{
    const char *code;
    const char *name;       // "němčina"
    const char *accusative; // "němčinu"
    const char *stem;       // what every form of the name begins with
};

// The languages taught most, and a few more that voices exist for.
constexpr Language Languages[] = {
    {"cs", "čeština", "češtinu", "češtin"},
    {"en", "angličtina", "angličtinu", "angličtin"},
    {"de", "němčina", "němčinu", "němčin"},
    {"fr", "francouzština", "francouzštinu", "francouzštin"},
    {"es", "španělština", "španělštinu", "španělštin"},
    {"it", "italština", "italštinu", "italštin"},
    {"ru", "ruština", "ruštinu", "ruštin"},
    {"pl", "polština", "polštinu", "polštin"},
    {"sk", "slovenština", "slovenštinu", "slovenštin"},
    {"sl", "slovinština", "slovinštinu", "slovinštin"},
    {"pt", "portugalština", "portugalštinu", "portugalštin"},
    {"nl", "nizozemština", "nizozemštinu", "nizozemštin"},
    {"nl", "holandština", "holandštinu", "holandštin"},
    {"sv", "švédština", "švédštinu", "švédštin"},
    {"nb", "norština", "norštinu", "norštin"},
    {"da", "dánština", "dánštinu", "dánštin"},
    {"fi", "finština", "finštinu", "finštin"},
    {"hu", "maďarština", "maďarštinu", "maďarštin"},
    {"el", "řečtina", "řečtinu", "řečtin"},
    {"la", "latina", "latinu", "latin"},
    {"zh", "čínština", "čínštinu", "čínštin"},
    {"ja", "japonština", "japonštinu", "japonštin"},
    {"ko", "korejština", "korejštinu", "korejštin"},
    {"ar", "arabština", "arabštinu", "arabštin"},
    {"tr", "turečtina", "turečtinu", "turečtin"},
    {"uk", "ukrajinština", "ukrajinštinu", "ukrajinštin"},
    {"hr", "chorvatština", "chorvatštinu", "chorvatštin"},
    {"sr", "srbština", "srbštinu", "srbštin"},
    {"bg", "bulharština", "bulharštinu", "bulharštin"},
    {"ro", "rumunština", "rumunštinu", "rumunštin"},
    {"he", "hebrejština", "hebrejštinu", "hebrejštin"},
    {"eo", "esperanto", "esperanto", "esperant"},
};

const QRegularExpression &languagesPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\*\\s*jazyky\\s*:\\s*([A-Za-z-]+)\\s+([A-Za-z-]+)\\s*$"));
    return pattern;
}

// The kept line of the dictionary that names the languages, before a pair or after the last
// one; none when it has none. Taken from a mutable shape, it may be changed in place.
template<typename Shape>
auto findLanguagesLine(Shape &shape)
    -> std::conditional_t<std::is_const_v<Shape>, const QString *, QString *>
{
    const auto names = [](const QString &line) {
        return languagesPattern().match(line.trimmed()).hasMatch();
    };
    for (auto &lines : shape.linesBefore) {
        for (auto &line : lines) {
            if (names(line))
                return &line;
        }
    }
    for (auto &line : shape.linesAfter) {
        if (names(line))
            return &line;
    }
    return nullptr;
}

} // namespace

SideLanguages GuessLanguages(const QString &theme)
{
    const QString text = theme.toLower();
    QList<std::pair<qsizetype, QString>> found; // place in the theme, code
    for (const Language &language : Languages) {
        const qsizetype at = text.indexOf(QString::fromUtf8(language.stem));
        if (at >= 0)
            found.append({at, QLatin1String(language.code)});
    }
    std::sort(found.begin(), found.end());
    SideLanguages languages;
    if (found.size() >= 2) {
        languages.side[1] = found.at(0).second;
        languages.side[2] = found.at(1).second;
    } else {
        languages.side[1] = QStringLiteral("cs");
        if (found.size() == 1)
            languages.side[2] = found.first().second;
    }
    return languages;
}

QString LanguagesLine(const SideLanguages &languages)
{
    return QStringLiteral("* jazyky: %1 %2").arg(languages.side[1], languages.side[2]);
}

std::optional<SideLanguages> StoredLanguages(const Vocabulary &vocabulary)
{
    const QString *line = findLanguagesLine(vocabulary.shape);
    if (!line)
        return std::nullopt;
    const QRegularExpressionMatch match = languagesPattern().match(line->trimmed());
    SideLanguages languages;
    languages.side[1] = match.captured(1).toLower();
    languages.side[2] = match.captured(2).toLower();
    return languages;
}

SideLanguages LanguagesOf(const Vocabulary &vocabulary)
{
    return StoredLanguages(vocabulary).value_or(GuessLanguages(vocabulary.theme));
}

void StoreLanguages(Vocabulary &vocabulary, const SideLanguages &languages)
{
    FileShape &shape = vocabulary.shape;
    if (QString *line = findLanguagesLine(shape)) {
        // The line keeps its ending, as the reader took it apart.
        *line = LanguagesLine(languages) + line->mid(WithoutEnding(*line).size());
        return;
    }
    // Right after the theme; without one, after the first pair, for a first line beginning
    // with '*' would be read as the theme.
    const QString line = LanguagesLine(languages) + QStringLiteral("\r\n");
    const qsizetype list = vocabulary.theme.isEmpty() ? 1 : 0;
    if (list >= vocabulary.count()) {
        shape.linesAfter.prepend(line);
        return;
    }
    while (shape.linesBefore.size() <= list)
        shape.linesBefore.append(QStringList());
    shape.linesBefore[list].prepend(line);
}

QString LanguageAccusative(const QString &code)
{
    for (const Language &language : Languages) {
        if (code == QLatin1String(language.code))
            return QString::fromUtf8(language.accusative);
    }
    return code;
}

QList<std::pair<QString, QString>> KnownLanguages()
{
    QList<std::pair<QString, QString>> known;
    for (const Language &language : Languages)
        known.append({QLatin1String(language.code), QString::fromUtf8(language.name)});
    return known;
}

QString LanguageCodeOf(const QString &choice)
{
    const QString text = choice.trimmed().toLower();
    static const QRegularExpression inBrackets(QStringLiteral("\\(([a-z]{2,3})\\)$"));
    static const QRegularExpression code(QStringLiteral("^[a-z]{2,3}$"));
    if (const QRegularExpressionMatch match = inBrackets.match(text); match.hasMatch())
        return match.captured(1);
    if (code.match(text).hasMatch())
        return text;
    for (const auto &[known, name] : KnownLanguages()) {
        if (name == text)
            return known;
    }
    return QString();
}
