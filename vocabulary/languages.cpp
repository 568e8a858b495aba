#include "languages.h"

#include "core/text_file.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <type_traits>

namespace {

struct Language
{
    const char *code;
    const char *name;       // "němčina"
    const char *accusative; // "němčinu"
    const char *stem;       // what every form of the Czech name begins with
    const char *otherNames; // English names and the language's own, '|' between them
};

// The languages taught most, and a few more that voices exist for.
constexpr Language Languages[] = {
    {"cs", QT_TRANSLATE_NOOP("Languages", "čeština"), QT_TRANSLATE_NOOP("Languages", "češtinu"),
     "češtin", "czech|česky|český|česká"},
    {"en", QT_TRANSLATE_NOOP("Languages", "angličtina"),
     QT_TRANSLATE_NOOP("Languages", "angličtinu"), "angličtin", "english"},
    {"de", QT_TRANSLATE_NOOP("Languages", "němčina"), QT_TRANSLATE_NOOP("Languages", "němčinu"),
     "němčin", "german|deutsch"},
    {"fr", QT_TRANSLATE_NOOP("Languages", "francouzština"),
     QT_TRANSLATE_NOOP("Languages", "francouzštinu"), "francouzštin", "french|français|francais"},
    {"es", QT_TRANSLATE_NOOP("Languages", "španělština"),
     QT_TRANSLATE_NOOP("Languages", "španělštinu"), "španělštin",
     "spanish|español|espanol|castellano"},
    {"it", QT_TRANSLATE_NOOP("Languages", "italština"), QT_TRANSLATE_NOOP("Languages", "italštinu"),
     "italštin", "italian|italiano"},
    {"ru", QT_TRANSLATE_NOOP("Languages", "ruština"), QT_TRANSLATE_NOOP("Languages", "ruštinu"),
     "ruštin", "russian|русск"},
    {"pl", QT_TRANSLATE_NOOP("Languages", "polština"), QT_TRANSLATE_NOOP("Languages", "polštinu"),
     "polštin", "polish|polski"},
    {"sk", QT_TRANSLATE_NOOP("Languages", "slovenština"),
     QT_TRANSLATE_NOOP("Languages", "slovenštinu"), "slovenštin", "slovak|slovenčin|slovensk"},
    {"sl", QT_TRANSLATE_NOOP("Languages", "slovinština"),
     QT_TRANSLATE_NOOP("Languages", "slovinštinu"), "slovinštin", "slovenian|slovene|slovenščin"},
    {"pt", QT_TRANSLATE_NOOP("Languages", "portugalština"),
     QT_TRANSLATE_NOOP("Languages", "portugalštinu"), "portugalštin",
     "portuguese|português|portugues"},
    {"nl", QT_TRANSLATE_NOOP("Languages", "nizozemština"),
     QT_TRANSLATE_NOOP("Languages", "nizozemštinu"), "nizozemštin", "dutch|nederlands"},
    {"nl", QT_TRANSLATE_NOOP("Languages", "holandština"),
     QT_TRANSLATE_NOOP("Languages", "holandštinu"), "holandštin", "dutch|nederlands"},
    {"sv", QT_TRANSLATE_NOOP("Languages", "švédština"), QT_TRANSLATE_NOOP("Languages", "švédštinu"),
     "švédštin", "swedish|svenska"},
    {"nb", QT_TRANSLATE_NOOP("Languages", "norština"), QT_TRANSLATE_NOOP("Languages", "norštinu"),
     "norštin", "norwegian|norsk"},
    {"da", QT_TRANSLATE_NOOP("Languages", "dánština"), QT_TRANSLATE_NOOP("Languages", "dánštinu"),
     "dánštin", "danish|dansk"},
    {"fi", QT_TRANSLATE_NOOP("Languages", "finština"), QT_TRANSLATE_NOOP("Languages", "finštinu"),
     "finštin", "finnish|suomi"},
    {"hu", QT_TRANSLATE_NOOP("Languages", "maďarština"),
     QT_TRANSLATE_NOOP("Languages", "maďarštinu"), "maďarštin", "hungarian|magyar"},
    {"el", QT_TRANSLATE_NOOP("Languages", "řečtina"), QT_TRANSLATE_NOOP("Languages", "řečtinu"),
     "řečtin", "greek|ελληνικ"},
    {"la", QT_TRANSLATE_NOOP("Languages", "latina"), QT_TRANSLATE_NOOP("Languages", "latinu"),
     "latin", ""},
    {"zh", QT_TRANSLATE_NOOP("Languages", "čínština"), QT_TRANSLATE_NOOP("Languages", "čínštinu"),
     "čínštin", "chinese|中文|汉语|漢語"},
    {"ja", QT_TRANSLATE_NOOP("Languages", "japonština"),
     QT_TRANSLATE_NOOP("Languages", "japonštinu"), "japonštin", "japanese|日本語"},
    {"ko", QT_TRANSLATE_NOOP("Languages", "korejština"),
     QT_TRANSLATE_NOOP("Languages", "korejštinu"), "korejštin", "korean|한국어"},
    {"ar", QT_TRANSLATE_NOOP("Languages", "arabština"), QT_TRANSLATE_NOOP("Languages", "arabštinu"),
     "arabštin", "arabic|العربية"},
    {"tr", QT_TRANSLATE_NOOP("Languages", "turečtina"), QT_TRANSLATE_NOOP("Languages", "turečtinu"),
     "turečtin", "turkish|türkçe"},
    {"uk", QT_TRANSLATE_NOOP("Languages", "ukrajinština"),
     QT_TRANSLATE_NOOP("Languages", "ukrajinštinu"), "ukrajinštin", "ukrainian|українськ"},
    {"hr", QT_TRANSLATE_NOOP("Languages", "chorvatština"),
     QT_TRANSLATE_NOOP("Languages", "chorvatštinu"), "chorvatštin", "croatian|hrvatski"},
    {"sr", QT_TRANSLATE_NOOP("Languages", "srbština"), QT_TRANSLATE_NOOP("Languages", "srbštinu"),
     "srbštin", "serbian|srpski|српски"},
    {"bg", QT_TRANSLATE_NOOP("Languages", "bulharština"),
     QT_TRANSLATE_NOOP("Languages", "bulharštinu"), "bulharštin", "bulgarian|българск"},
    {"ro", QT_TRANSLATE_NOOP("Languages", "rumunština"),
     QT_TRANSLATE_NOOP("Languages", "rumunštinu"), "rumunštin", "romanian|română"},
    {"he", QT_TRANSLATE_NOOP("Languages", "hebrejština"),
     QT_TRANSLATE_NOOP("Languages", "hebrejštinu"), "hebrejštin", "hebrew|עברית"},
    {"eo", QT_TRANSLATE_NOOP("Languages", "esperanto"), QT_TRANSLATE_NOOP("Languages", "esperanto"),
     "esperant", ""},
};

const QRegularExpression &languagesPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\*\\s*jazyky\\s*:\\s*([A-Za-z-]+)\\s+([A-Za-z-]+)\\s*$"));
    return pattern;
}

// Whether a kept line is the one that names the languages.
bool namesLanguages(const QString &line)
{
    return languagesPattern().match(line.trimmed()).hasMatch();
}

// The kept line of the dictionary that names the languages, before a pair or after the last
// one; none when it has none. Taken from a mutable shape, it may be changed in place.
template<typename Shape>
auto findLanguagesLine(Shape &shape)
    -> std::conditional_t<std::is_const_v<Shape>, const QString *, QString *>
{
    for (auto &lines : shape.linesBefore) {
        for (auto &line : lines) {
            if (namesLanguages(line))
                return &line;
        }
    }
    for (auto &line : shape.linesAfter) {
        if (namesLanguages(line))
            return &line;
    }
    return nullptr;
}

void removeLanguagesLine(FileShape &shape)
{
    for (QStringList &lines : shape.linesBefore)
        lines.removeIf(namesLanguages);
    shape.linesAfter.removeIf(namesLanguages);
}

} // namespace

SideLanguages GuessLanguages(const QString &theme)
{
    const QString text = theme.toLower();
    QList<std::pair<qsizetype, QString>> found; // place in the theme, code
    for (const Language &language : Languages) {
        QStringList names
            = QString::fromUtf8(language.otherNames).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        names.append(QString::fromUtf8(language.stem));
        qsizetype first = -1;
        for (const QString &name : names) {
            const qsizetype at = text.indexOf(name);
            if (at >= 0 && (first < 0 || at < first))
                first = at;
        }
        const QLatin1String code(language.code);
        const bool again = std::any_of(found.begin(), found.end(),
                                       [&](const auto &place) { return place.second == code; });
        if (first >= 0 && !again)
            found.append({first, code});
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

SideLanguages NamedLanguages(const Vocabulary &vocabulary)
{
    if (const std::optional<SideLanguages> stored = StoredLanguages(vocabulary))
        return *stored;
    const SideLanguages guessed = GuessLanguages(vocabulary.theme);
    // Czech alone is what a theme that names nothing is taken for, not what it says.
    return guessed.side[2].isEmpty() ? SideLanguages() : guessed;
}

void StoreLanguages(Vocabulary &vocabulary, const SideLanguages &languages)
{
    FileShape &shape = vocabulary.shape;
    if (languages.side[1].isEmpty() || languages.side[2].isEmpty()) {
        // Half a line would name one side and leave the reader to guess the other: none.
        removeLanguagesLine(shape);
        return;
    }
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
            return QCoreApplication::translate("Languages", language.accusative);
    }
    return code;
}

QList<std::pair<QString, QString>> KnownLanguages()
{
    QList<std::pair<QString, QString>> known;
    for (const Language &language : Languages)
        known.append({QLatin1String(language.code),
                      QCoreApplication::translate("Languages", language.name)});
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
