#include "separated_text.h"

#include "imported_pairs.h"

#include "core/file_error.h"
#include "core/text_file.h"
#include "vocabulary/vocabulary_file.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <map>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(SeparatedText)
};

} // namespace

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

} // namespace

ImportResult ImportDelimitedText(QString text)
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

ImportResult ImportDelimited(const QByteArray &bytes)
{
    return ImportDelimitedText(DecodeDetectedText(bytes));
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
        text += field(TrimWhite(entry.side[1])) + QLatin1Char('\t')
                + field(TrimWhite(entry.side[2])) + QLatin1Char('\t')
                + field(TrimWhite(entry.comment[1])) + QLatin1Char('\t')
                + field(TrimWhite(entry.comment[2])) + QLatin1Char('\n');
    }
    return text.toUtf8();
}
