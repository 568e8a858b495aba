#include "exchange.h"

#include "languages.h"

#include "core/file_error.h"
#include "core/text_file.h"
#include "vocabulary_file.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <map>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Exchange)
};

} // namespace

bool AcceptImportedPair(const QString &where, QString first, QString second, QString firstComment,
                        QString secondComment, ImportResult &result)
{
    first = TrimWhite(first);
    second = TrimWhite(second);
    firstComment = TrimWhite(firstComment);
    secondComment = TrimWhite(secondComment);
    const auto skip = [&](const QString &reason) {
        result.skipped.append(where + QStringLiteral(": ") + reason);
    };
    if (first.isEmpty() || second.isEmpty()) {
        skip(Texts::tr("jedna strana je prázdná"));
        return false;
    }
    const QString all = first + firstComment + second + secondComment;
    if (all.contains(QLatin1Char('@')) || first.contains(QLatin1Char('/'))
        || firstComment.contains(QLatin1Char('/'))) {
        skip(Texts::tr("obsahuje '/' nebo '@', které řádek slovníku nepojme"));
        return false;
    }
    if (all.contains(QLatin1Char('{')) || all.contains(QLatin1Char('}'))) {
        skip(Texts::tr("obsahuje složenou závorku, kterou slovník vyhrazuje komentářům"));
        return false;
    }
    const auto length = [](const QString &side, const QString &comment) {
        return CharacterCount(side) + (comment.isEmpty() ? 0 : CharacterCount(comment) + 3);
    };
    if (length(first, firstComment) > Vocabulary::EntryTextCapacity
        || length(second, secondComment) > Vocabulary::EntryTextCapacity) {
        skip(Texts::tr("strana i s komentářem je delší než %1 znaků")
                 .arg(Vocabulary::EntryTextCapacity));
        return false;
    }
    if (all.contains(QLatin1Char('\n')) || all.contains(QLatin1Char('\r'))) {
        skip(Texts::tr("obsahuje konec řádku"));
        return false;
    }
    // Read back the way a dictionary line is read, so that the pair is exactly what the
    // written dictionary will hold.
    const auto part = [](const QString &side, const QString &comment) {
        return comment.isEmpty() ? side : side + QStringLiteral(" {") + comment + QLatin1Char('}');
    };
    const ParsedLine parsed = ParseVocabularyLine(
        part(first, firstComment) + QStringLiteral(" / ") + part(second, secondComment), false);
    if (parsed.kind != ParsedLine::PairLine || TrimWhite(parsed.entry.side[1]) != first
        || TrimWhite(parsed.entry.side[2]) != second) {
        skip(Texts::tr("řádek slovníku by ho nepřečetl tak, jak je"));
        return false;
    }
    result.pairs.append(parsed.entry);
    return true;
}

namespace {

// ---- KVTML ----

// A theme is one line: line breaks and tabs in a title become blanks.
QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar &c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return TrimWhite(text);
}

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
ImportResult importKvtml(const QByteArray &bytes)
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
                result.title = oneLine(xml.readElementText(QXmlStreamReader::IncludeChildElements));
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

// ---- separated text ----

} // namespace

QString PlainTextOfHtml(QString field)
{
    static const QRegularExpression lineBreaks(QStringLiteral("<\\s*(br|/p|/div|/li)\\s*/?>"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    static const QRegularExpression numeric(QStringLiteral("&#(x?)([0-9a-fA-F]+);"));
    static const QRegularExpression blanks(QStringLiteral("[ \\t]{2,}"));
    field.replace(lineBreaks, QStringLiteral(" "));
    field.remove(tags);
    QString decoded;
    qsizetype last = 0;
    for (auto match = numeric.globalMatch(field); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        decoded += field.mid(last, m.capturedStart() - last);
        bool ok = false;
        const uint code = m.captured(2).toUInt(&ok, m.captured(1).isEmpty() ? 10 : 16);
        decoded
            += ok ? QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1) : m.captured();
        last = m.capturedEnd();
    }
    decoded += field.mid(last);
    static const std::pair<const char *, const char *> entities[]
        = {{"&nbsp;", " "}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}};
    for (const auto &[entity, text] : entities)
        decoded.replace(QLatin1String(entity), QLatin1String(text));
    decoded.replace(QLatin1String("&amp;"), QLatin1String("&"));
    decoded.replace(QChar(0xA0), QLatin1Char(' '));
    decoded.replace(blanks, QStringLiteral(" "));
    return decoded;
}

namespace {

bool looksLikeHtml(const QString &field)
{
    static const QRegularExpression html(
        QStringLiteral("</?[a-zA-Z][^>]*>|&(nbsp|amp|lt|gt|quot|#[0-9]+);"));
    return html.match(field).hasMatch();
}

struct Record
{
    int line = 0;
    QStringList fields;
};

// The records of the text, fields in double quotes holding separators, doubled quotes and
// line breaks.
QList<Record> records(const QString &text, QChar separator)
{
    QList<Record> result;
    Record record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    record.line = line;
    const auto endField = [&] {
        record.fields.append(field);
        field.clear();
        fieldStarted = false;
    };
    const auto endRecord = [&] {
        endField();
        if (record.fields.size() > 1 || !TrimWhite(record.fields.first()).isEmpty())
            result.append(record);
        record = Record();
        record.line = line;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
        } else if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == separator) {
            endField();
        } else if (c == QLatin1Char('\n')) {
            if (field.endsWith(QLatin1Char('\r')))
                field.chop(1);
            ++line;
            endRecord();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !field.isEmpty() || !record.fields.isEmpty())
        endRecord();
    return result;
}

QChar detectSeparator(const QString &text)
{
    int tabs = 0, semicolons = 0, commas = 0;
    bool quoted = false;
    for (QChar c : QStringView(text).left(64 * 1024)) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('\t'))
            ++tabs;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolons;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
    }
    if (tabs > 0)
        return QLatin1Char('\t');
    return semicolons > 0 && semicolons >= commas ? QLatin1Char(';') : QLatin1Char(',');
}

// What the header lines ("#name:value", before the first record) of a separated-text file say.
struct DelimitedHeader
{
    std::optional<QChar> separator;
    std::optional<bool> html;
    int firstComment = -1; // the columns of the comments, -1: none
    int secondComment = -1;
    int lines = 0;
};

void readHeaderLine(const QString &line, DelimitedHeader &header)
{
    static const std::map<QString, QChar> separators
        = {{QStringLiteral("tab"), QLatin1Char('\t')},
           {QStringLiteral("comma"), QLatin1Char(',')},
           {QStringLiteral("semicolon"), QLatin1Char(';')},
           {QStringLiteral("pipe"), QLatin1Char('|')},
           {QStringLiteral("space"), QLatin1Char(' ')}};
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return;
    const QString name = line.mid(1, colon - 1).trimmed().toLower();
    const QString value = line.mid(colon + 1).trimmed();
    if (name == QLatin1String("separator")) {
        const auto known = separators.find(value.toLower());
        if (known != separators.end())
            header.separator = known->second;
        else if (value.size() == 1)
            header.separator = value.at(0);
    } else if (name == QLatin1String("html")) {
        header.html = value.toLower() == QLatin1String("true");
    } else if (name == QLatin1String("columns")) {
        // Named after the separator, which may come later: tabs, else the separator found.
        const QStringList names = value.split(
            value.contains(QLatin1Char('\t')) ? QLatin1Char('\t') : detectSeparator(value));
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString column = names.at(i).trimmed().toLower();
            if (column == QLatin1String("comment 1") || column == QStringLiteral("komentář 1"))
                header.firstComment = int(i);
            else if (column == QLatin1String("comment 2") || column == QStringLiteral("komentář 2"))
                header.secondComment = int(i);
        }
    }
}

// Takes the header lines off the text.
DelimitedHeader readHeader(QString &text)
{
    DelimitedHeader header;
    while (text.startsWith(QLatin1Char('#'))) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'));
        const QString line = TrimWhite(end < 0 ? text : text.left(end));
        text = end < 0 ? QString() : text.mid(end + 1);
        ++header.lines;
        readHeaderLine(line, header);
    }
    return header;
}

ImportResult importDelimitedText(QString text)
{
    ImportResult result;
    const DelimitedHeader header = readHeader(text);
    const QChar used = header.separator.value_or(detectSeparator(text));
    int records = 0;
    for (const Record &record : ::records(text, used)) {
        ++records;
        const QString where = Texts::tr("řádek %1").arg(record.line + header.lines);
        if (record.fields.size() < 2) {
            result.skipped.append(where + Texts::tr(": chybí druhé pole"));
            continue;
        }
        QStringList fields = record.fields;
        for (QString &field : fields) {
            if (header.html.value_or(looksLikeHtml(field)))
                field = PlainTextOfHtml(field);
        }
        const auto column = [&fields](int index) {
            return index >= 0 && index < fields.size() ? fields.at(index) : QString();
        };
        AcceptImportedPair(where, fields.at(0), fields.at(1), column(header.firstComment),
                           column(header.secondComment), result);
    }
    if (records == 0)
        throw FileError(Texts::tr("Soubor neobsahuje žádnou dvojici slov."));
    return result;
}

} // namespace

ImportResult ImportDelimited(const QByteArray &bytes)
{
    return importDelimitedText(DecodeDetectedText(bytes));
}

ImportResult ImportVocabulary(const QByteArray &bytes)
{
    if (LooksBinary(bytes))
        throw FileError(Texts::tr("Soubor není textový (obsahuje binární data); slovíčka "
                                  "z něj převzít nelze."));
    // Decoded once: the text that is checked for content is the text that is imported.
    QString text = DecodeDetectedText(bytes);
    if (TrimWhite(text).isEmpty())
        throw FileError(Texts::tr("Soubor je prázdný."));
    const QByteArray start = bytes.left(512).trimmed();
    const bool xml = start.startsWith("<?xml") || start.contains("<kvtml")
                     || start.startsWith("\xEF\xBB\xBF<?xml");
    return xml ? importKvtml(bytes) : importDelimitedText(std::move(text));
}

ImportResult ImportVocabularyFile(const QString &path)
{
    ImportResult result = ImportVocabulary(ReadFileBytes(path));
    if (result.title.isEmpty())
        result.title = oneLine(QFileInfo(path).completeBaseName());
    return result;
}

bool IsImportableFile(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("kvtml") || suffix == QLatin1String("csv")
           || suffix == QLatin1String("tsv") || suffix == QLatin1String("txt");
}

bool LooksBinary(const QByteArray &bytes)
{
    // Text has no NUL, and few control characters besides the line ends, tabs and page breaks.
    if (bytes.contains('\0'))
        return true;
    qsizetype controls = 0;
    for (const char c : bytes) {
        const uchar u = uchar(c);
        if (u < 32 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != '\v' && u != 0x1a)
            ++controls;
    }
    return controls > 2 && controls * 20 > bytes.size();
}

Vocabulary DictionaryFromImport(const ImportResult &result)
{
    Vocabulary vocabulary;
    if (!result.title.isEmpty())
        vocabulary.theme = QLatin1Char('*') + result.title;
    vocabulary.entries = result.pairs.mid(0, Vocabulary::Capacity);
    StoreLanguages(vocabulary, result.languages);
    return vocabulary;
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

QByteArray ExportDelimited(const Vocabulary &vocabulary)
{
    const auto field = [](const QString &text) {
        const bool quote = text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('"'))
                           || text.contains(QLatin1Char('\n')) || text.startsWith(QLatin1Char('#'));
        if (!quote)
            return text;
        QString quoted = text;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + quoted + QLatin1Char('"');
    };
    QString text = QStringLiteral("#separator:tab\n#html:false\n"
                                  "#columns:strana 1\tstrana 2\tkomentář 1\tkomentář 2\n");
    for (const VocabularyEntry &entry : vocabulary.entries) {
        text += field(sideText(entry, 1)) + QLatin1Char('\t') + field(sideText(entry, 2))
                + QLatin1Char('\t') + field(TrimWhite(entry.comment[1])) + QLatin1Char('\t')
                + field(TrimWhite(entry.comment[2])) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

QByteArray ExportForFile(const Vocabulary &vocabulary, const QString &target)
{
    const bool delimited = target.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive)
                           || target.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
    return delimited ? ExportDelimited(vocabulary) : ExportKvtml(vocabulary);
}

QString CountedWord(int count, const char *forms)
{
    const QStringList words = QCoreApplication::translate("CountedWord", forms).split(u'|');
    const qsizetype form = count == 1 ? 0 : count >= 2 && count <= 4 ? 1 : 2;
    return QString::number(count) + QLatin1Char(' ') + words.at(std::min(form, words.size() - 1));
}

QString FirstLinesOf(const QStringList &lines)
{
    constexpr int shown = 10;
    QString text = lines.mid(0, shown).join(QLatin1Char('\n'));
    if (lines.size() > shown)
        text += Texts::tr("\n... a ")
                + CountedWord(int(lines.size()) - shown,
                              QT_TRANSLATE_NOOP("CountedWord", "další|další|dalších"))
                + QLatin1Char('.');
    return text;
}

QString ImportSummary(const ImportResult &result, int written)
{
    const int skipped = int(result.skipped.size());
    QString text
        = Texts::tr("Načteno ")
          + CountedWord(written, QT_TRANSLATE_NOOP("CountedWord", "dvojice|dvojice|dvojic"));
    if (skipped > 0) {
        const QString left
            = result.kvtml
                  ? CountedWord(
                      skipped,
                      QT_TRANSLATE_NOOP("CountedWord",
                                        "položka přeskočena|položky přeskočeny|položek přeskočeno"))
                  : CountedWord(skipped, QT_TRANSLATE_NOOP(
                                             "CountedWord",
                                             "řádek přeskočen|řádky přeskočeny|řádků přeskočeno"));
        text += QStringLiteral(", ") + left + QStringLiteral(":\n") + FirstLinesOf(result.skipped);
    } else {
        text += QLatin1Char('.');
    }
    const int leftOut = int(result.pairs.size()) - written;
    if (leftOut > 0)
        text
            += Texts::tr("\nSlovník pojme nejvýše %1 dvojic: ").arg(Vocabulary::Capacity)
               + CountedWord(
                   leftOut, QT_TRANSLATE_NOOP(
                                "CountedWord",
                                "další nebyla zapsána|další nebyly zapsány|dalších nebylo zapsáno"))
               + QLatin1Char('.');
    return text;
}
