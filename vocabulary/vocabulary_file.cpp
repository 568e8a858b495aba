#include "vocabulary_file.h"

#include "core/file_error.h"
#include "core/helpers.h"
#include "core/text_file.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int statisticsTextCapacity = 255;
constexpr int sidePartWidth = 60;
constexpr int counterWidth = 5;

bool isWhite(QChar c)
{
    return c.unicode() <= 32;
}

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ');
}

template<typename Predicate>
QStringView trimWhere(QStringView text, Predicate strip)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && strip(text.at(begin)))
        ++begin;
    while (end > begin && strip(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// One number of the statistics text. A clean signed integer gives its value. Digits followed
// by anything else, or too many for a counter, give the value of their leading digits without
// the sign, as many as a counter holds; no digit gives 0.
qint32 readCounterField(QStringView field)
{
    qsizetype i = 0;
    while (i < field.size() && isSpace(field.at(i)))
        ++i;
    bool negative = false;
    if (i < field.size() && (field.at(i) == QLatin1Char('+') || field.at(i) == QLatin1Char('-'))) {
        negative = field.at(i) == QLatin1Char('-');
        ++i;
    }
    const qsizetype firstDigit = i;
    while (i < field.size() && field.at(i) >= QLatin1Char('0') && field.at(i) <= QLatin1Char('9'))
        ++i;
    const QStringView digits = field.mid(firstDigit, i - firstDigit);
    const bool clean = i == field.size();

    constexpr qint64 largest = std::numeric_limits<qint32>::max();
    const qint64 limit = clean && negative ? largest + 1 : largest;
    qint64 value = 0;
    bool fits = true;
    for (QChar c : digits) {
        const qint64 next = value * 10 + (c.unicode() - '0');
        if (next > limit) {
            fits = false;
            break;
        }
        value = next;
    }
    if (clean && fits)
        return qint32(negative ? -value : value);
    if (value > largest) // a negative field may hold one digit more than a counter without sign
        value /= 10;
    return qint32(value);
}

void readStatistics(QStringView statistics, VocabularyEntry &entry)
{
    qint32 *const counters[4]
        = {&entry.offers[1], &entry.offers[2], &entry.errors[1], &entry.errors[2]};
    QStringView rest = statistics.left(statisticsTextCapacity);
    for (qint32 *counter : counters) {
        const qsizetype comma = rest.indexOf(QLatin1Char(','));
        *counter = readCounterField(comma < 0 ? rest : rest.left(comma));
        if (comma < 0)
            break;
        rest = trimWhere(rest.mid(comma + 1), isSpace);
    }
}

// Cuts the side to its capacity, then takes its brace comment out of it.
void separateComment(QStringView side, QString &text, QString &comment)
{
    side = side.left(Vocabulary::EntryTextCapacity);
    const qsizetype open = side.indexOf(QLatin1Char('{'));
    if (open < 0) {
        text = side.toString();
        comment.clear();
        return;
    }
    // A '}' before the '{' does not close anything: look for the first one after it.
    qsizetype close = side.indexOf(QLatin1Char('}'), open + 1);
    if (close < 0)
        close = side.size();
    comment = side.mid(open + 1, close - open - 1).toString();
    text = side.left(open).toString();
    text.append(side.mid(std::min(close + 1, side.size())));
}

QString sidePart(const QString &side, const QString &comment)
{
    QString part = TrimWhite(side);
    if (!comment.isEmpty())
        part += QLatin1String(" {") + TrimWhite(comment) + QLatin1Char('}');
    return PadRight(part, sidePartWidth);
}

} // namespace

QString TrimSpaces(const QString &text)
{
    return trimWhere(text, isSpace).toString();
}

QString TrimWhite(const QString &text)
{
    return trimWhere(text, isWhite).toString();
}

QString PadRight(const QString &text, int width)
{
    return text.leftJustified(width, QLatin1Char(' '));
}

ParsedLine ParseVocabularyLine(const QString &line, bool firstLine)
{
    ParsedLine parsed;
    const QStringView text = trimWhere(line, isSpace);
    if (text.isEmpty())
        return parsed;
    if (text.startsWith(QLatin1Char('*'))) {
        if (firstLine) {
            parsed.kind = ParsedLine::ThemeLine;
            parsed.theme = text.toString();
        }
        return parsed;
    }
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return parsed;
    const qsizetype at = text.indexOf(QLatin1Char('@'));

    parsed.kind = ParsedLine::PairLine;
    VocabularyEntry &entry = parsed.entry;
    QStringView secondSide;
    if (at < 0) {
        secondSide = text.mid(slash + 1);
    } else {
        if (at > slash)
            secondSide = text.mid(slash + 1, at - slash - 1);
        readStatistics(text.mid(at + 1), entry);
    }
    separateComment(trimWhere(text.left(slash), isSpace), entry.side[1], entry.comment[1]);
    separateComment(trimWhere(secondSide, isSpace), entry.side[2], entry.comment[2]);
    return parsed;
}

void ReadVocabularyFile(const QString &path, Vocabulary &vocabulary)
{
    const QStringList lines = ReadTextFileLines(path);
    Vocabulary read;
    read.path = vocabulary.path;
    read.entries.reserve(Vocabulary::Capacity);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        ParsedLine parsed = ParseVocabularyLine(lines.at(i), i == 0);
        if (parsed.kind == ParsedLine::ThemeLine) {
            read.theme = parsed.theme;
        } else if (parsed.kind == ParsedLine::PairLine) {
            if (read.count() == Vocabulary::Capacity) {
                throw FileError(
                    QStringLiteral("Soubor %1 obsahuje více než %2 dvojic slov, program jich "
                                   "pojme nejvýše %2. Soubor nebyl načten a zůstal beze změny.")
                        .arg(path)
                        .arg(Vocabulary::Capacity));
            }
            read.entries.append(std::move(parsed.entry));
        }
    }
    vocabulary = std::move(read);
}

QString FormatVocabularyLine(const VocabularyEntry &entry)
{
    QString line = sidePart(entry.side[1], entry.comment[1]) + QLatin1String(" / ")
                   + sidePart(entry.side[2], entry.comment[2]) + QLatin1String(" @");
    const qint32 counters[4] = {entry.offers[1], entry.offers[2], entry.errors[1], entry.errors[2]};
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += PadNumber(counters[i], counterWidth);
    }
    return line;
}

QByteArray FormatVocabularyFile(const Vocabulary &vocabulary)
{
    QStringList lines;
    lines.reserve(vocabulary.count() + 1);
    if (!vocabulary.theme.isEmpty())
        lines.append(vocabulary.theme);
    for (const VocabularyEntry &entry : vocabulary.entries)
        lines.append(FormatVocabularyLine(entry));
    return JoinLines(lines);
}

void WriteVocabularyFile(const QString &path, const Vocabulary &vocabulary)
{
    WriteFileSafely(path, FormatVocabularyFile(vocabulary));
}

EditorContent ReadEditorContent(const QStringList &lines)
{
    EditorContent content;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('*'))) {
            if (i == 0)
                content.theme = line;
            continue;
        }
        const qsizetype at = line.indexOf(QLatin1Char('@'));
        if (at >= 0)
            line = TrimSpaces(line.left(at));
        const qsizetype slash = line.indexOf(QLatin1Char('/'));
        if (slash < 0)
            continue;
        content.rows.append({TrimSpaces(line.left(slash)).left(Vocabulary::EntryTextCapacity),
                             TrimSpaces(line.mid(slash + 1)).left(Vocabulary::EntryTextCapacity)});
    }
    return content;
}

namespace {
bool bothFilled(const EditorRow &row)
{
    return !TrimWhite(row.first).isEmpty() && !TrimWhite(row.second).isEmpty();
}
} // namespace

QStringList FormatEditorLines(const EditorContent &content)
{
    QStringList lines;
    if (!content.theme.isEmpty())
        lines.append(content.theme);
    for (const EditorRow &row : content.rows) {
        if (bothFilled(row))
            lines.append(row.first + QStringLiteral("   /   ") + row.second);
    }
    return lines;
}

QStringList FormatNewDictionaryLines(const QString &theme, const QList<EditorRow> &rows)
{
    constexpr int sideWidth = 25;
    QStringList lines;
    if (!theme.isEmpty())
        lines.append(QStringLiteral("* ") + theme);
    for (const EditorRow &row : rows) {
        if (bothFilled(row)) {
            lines.append(PadRight(TrimWhite(row.first), sideWidth) + QLatin1Char('/')
                         + PadRight(TrimWhite(row.second), sideWidth));
        }
    }
    return lines;
}
