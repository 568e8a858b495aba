#include "kvtml.h"

#include "imported_pairs.h"

#include "core/file_error.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/languages.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Kvtml)
};

} // namespace

namespace {

struct KvtmlTranslation
{
    int id = 0;
    QString text;
    QString comment;
};

// The language of an identifier's locale: of "de", "en_US", "pt-BR" what comes first.
void readKvtmlLocale(QXmlStreamReader &xml, int identifier, ImportResult &result)
{
    static const QRegularExpression region(QStringLiteral("[_-]"));
    const QString language = LanguageCodeOf(xml.readElementText().section(region, 0, 0));
    if ((identifier == 0 || identifier == 1) && !language.isEmpty())
        result.languages.side[identifier + 1] = language;
}

// An entry read whole: its first two translations by id become a pair.
void acceptKvtmlEntry(QList<KvtmlTranslation> &translations, qint64 line, ImportResult &result)
{
    std::stable_sort(translations.begin(), translations.end(),
                     [](const auto &a, const auto &b) { return a.id < b.id; });
    const QString where = Texts::tr("položka na řádku %1").arg(line);
    if (translations.size() < 2)
        result.skipped.append(where + Texts::tr(": nemá dva překlady"));
    else
        AcceptImportedPair(where, translations.at(0).text, translations.at(1).text,
                           translations.at(0).comment, translations.at(1).comment, result);
}

// Malformed XML, told with its line.
[[noreturn]] void failKvtml(const QXmlStreamReader &xml)
{
    // The parser's own text may end with its full stop.
    QString reason = xml.errorString();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    throw FileError(Texts::tr("Soubor není platný KVTML: chyba na řádku %1: %2.")
                        .arg(xml.lineNumber())
                        .arg(reason));
}

// Reads a KVTML file: the first two translations of each entry become the two sides, their
// comments the comments, the document's title the theme. Throws FileError for malformed XML
// (with its line number) and for a file with no entry.
} // namespace

ImportResult ImportKvtml(const QByteArray &bytes)
{
    ImportResult result;
    result.kvtml = true;
    QXmlStreamReader xml(bytes);
    QStringList path;
    QList<KvtmlTranslation> translations;
    int identifier = -1;
    int entries = 0;
    qint64 entryLine = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString name = xml.name().toString();
            path.append(name);
            if (name == QLatin1String("entry") && path.size() == 3) {
                translations.clear();
                entryLine = xml.lineNumber();
            } else if (name == QLatin1String("translation") && path.size() == 4) {
                translations.append({xml.attributes().value(QLatin1String("id")).toInt(), {}, {}});
            } else if (path.size() == 5 && path.at(3) == QLatin1String("translation")
                       && !translations.isEmpty()
                       && (name == QLatin1String("text") || name == QLatin1String("comment"))) {
                const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                (name == QLatin1String("text") ? translations.last().text
                                               : translations.last().comment)
                    = text;
                path.removeLast();
            } else if (name == QLatin1String("identifier") && path.size() == 3) {
                identifier = xml.attributes().value(QLatin1String("id")).toInt();
            } else if (path.size() == 4 && path.at(2) == QLatin1String("identifier")
                       && name == QLatin1String("locale")) {
                readKvtmlLocale(xml, identifier, result);
                path.removeLast();
            } else if (path
                       == QStringList{QStringLiteral("kvtml"), QStringLiteral("information"),
                                      QStringLiteral("title")}) {
                result.title = OneLine(xml.readElementText(QXmlStreamReader::IncludeChildElements));
                path.removeLast();
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (path.size() == 3 && path.at(2) == QLatin1String("entry")) {
                ++entries;
                acceptKvtmlEntry(translations, entryLine, result);
            }
            if (!path.isEmpty())
                path.removeLast();
        }
    }
    if (xml.hasError())
        failKvtml(xml);
    if (entries == 0)
        throw FileError(Texts::tr("Soubor KVTML neobsahuje žádnou položku."));
    return result;
}

namespace {

QString sideText(const VocabularyEntry &entry, int side)
{
    return TrimWhite(entry.side[side]);
}

QString themeTitle(const Vocabulary &vocabulary)
{
    return TrimWhite(vocabulary.theme.mid(vocabulary.theme.startsWith(QLatin1Char('*')) ? 1 : 0));
}

} // namespace

QByteArray ExportKvtml(const Vocabulary &vocabulary)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral(
        "<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\">"));
    xml.writeStartElement(QStringLiteral("kvtml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("information"));
    xml.writeTextElement(QStringLiteral("generator"), QStringLiteral("Merko"));
    xml.writeTextElement(QStringLiteral("title"), themeTitle(vocabulary));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("identifiers"));
    // Each side as its language, by name and locale, where the dictionary says it.
    const SideLanguages languages = NamedLanguages(vocabulary);
    QHash<QString, QString> names;
    for (const auto &[code, name] : KnownLanguages())
        names.insert(code, name);
    for (int id = 0; id < 2; ++id) {
        const QString &language = languages.side[id + 1];
        xml.writeStartElement(QStringLiteral("identifier"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(id));
        xml.writeTextElement(QStringLiteral("name"), language.isEmpty()
                                                         ? Texts::tr("strana %1").arg(id + 1)
                                                         : names.value(language, language));
        if (!language.isEmpty())
            xml.writeTextElement(QStringLiteral("locale"), language);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("entries"));
    for (int i = 0; i < vocabulary.count(); ++i) {
        const VocabularyEntry &entry = vocabulary.entries.at(i);
        xml.writeStartElement(QStringLiteral("entry"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(i));
        for (int side = 1; side <= 2; ++side) {
            xml.writeStartElement(QStringLiteral("translation"));
            xml.writeAttribute(QStringLiteral("id"), QString::number(side - 1));
            xml.writeTextElement(QStringLiteral("text"), sideText(entry, side));
            if (!entry.comment[side].isEmpty())
                xml.writeTextElement(QStringLiteral("comment"), TrimWhite(entry.comment[side]));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}
