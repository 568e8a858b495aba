#include "vocabulary_file.h"

#include "core/file_error.h"
#include "core/helpers.h"
#include "core/text_file.h"

#include <QCoreApplication>
#include <QCryptographicHash>

#include <algorithm>
#include <functional>
#include <limits>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(VocabularyFile)
};

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

// Cuts the side to its capacity, then takes its brace comment out of it. True when the side
// was cut.
bool separateComment(QStringView side, QString &text, QString &comment)
{
    const QStringView kept = LeftCharacters(side, Vocabulary::EntryTextCapacity);
    const bool cut = kept.size() < side.size();
    side = kept;
    const qsizetype open = side.indexOf(QLatin1Char('{'));
    if (open < 0) {
        text = side.toString();
        comment.clear();
        return cut;
    }
    // A '}' before the '{' does not close anything: look for the first one after it.
    qsizetype close = side.indexOf(QLatin1Char('}'), open + 1);
    if (close < 0)
        close = side.size();
    comment = side.mid(open + 1, close - open - 1).toString();
    text = side.left(open).toString();
    text.append(side.mid(std::min(close + 1, side.size())));
    return cut;
}

QString counterFields(const VocabularyEntry &entry)
{
    return FormatCounters(CountersOf(entry));
}

bool readsBackAs(const QString &line, const VocabularyEntry &entry)
{
    const ParsedLine parsed = ParseVocabularyLine(line, false);
    return parsed.kind == ParsedLine::PairLine && parsed.entry == entry;
}

QString sidePart(const QString &side, const QString &comment)
{
    QString part = TrimWhite(side);
    if (!comment.isEmpty())
        part += QLatin1String(" {") + TrimWhite(comment) + QLatin1Char('}');
    return PadRight(part, sidePartWidth);
}

PairLineForm choosePairLineForm(const QString &line, const ParsedLine &parsed);

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
    // Characters are counted, not UTF-16 units: one outside the basic plane is one.
    const qsizetype characters = CharacterCount(text);
    return characters >= width ? text : text + QString(width - characters, QLatin1Char(' '));
}

ParsedLine ParseVocabularyLine(QStringView line, bool firstLine)
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
    const bool firstCut
        = separateComment(trimWhere(text.left(slash), isSpace), entry.side[1], entry.comment[1]);
    const bool secondCut
        = separateComment(trimWhere(secondSide, isSpace), entry.side[2], entry.comment[2]);
    parsed.truncated = firstCut || secondCut;
    return parsed;
}

Vocabulary ParseVocabularyFile(const QByteArray &bytes, const QString &path)
{
    const auto refuse = [&path](const QString &reason) {
        return FileError(Texts::tr("Soubor %1 není slovník: %2 Nebyl načten a zůstal beze "
                                   "změny.")
                             .arg(path, reason));
    };
    if (bytes.contains('\0'))
        throw refuse(Texts::tr("obsahuje binární data (bajty s hodnotou 0)."));

    TextFileParts parts = SplitTextFile(bytes);
    const QStringList &lines = parts.lines;
    Vocabulary read;
    read.encoding = parts.encoding;
    read.entries.reserve(std::min<qsizetype>(lines.size(), Vocabulary::Capacity));
    FileShape &shape = read.shape;
    shape.tail = parts.tail;
    QStringList kept;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const QStringView body = WithoutEnding(line);
        ParsedLine parsed = ParseVocabularyLine(body, i == 0);
        if (parsed.kind == ParsedLine::ThemeLine) {
            read.theme = parsed.theme;
        } else if (parsed.kind == ParsedLine::PairLine) {
            if (read.count() == Vocabulary::Capacity) {
                throw FileError(
                    Texts::tr("Soubor %1 obsahuje více než %2 dvojic slov, program jich "
                              "pojme nejvýše %2. Soubor nebyl načten a zůstal beze změny.")
                        .arg(path)
                        .arg(Vocabulary::Capacity));
            }
            const QString text = body.toString();
            const PairLineForm form = choosePairLineForm(text, parsed);
            shape.forms.append(form);
            shape.pairLines.append(form == PairLineForm::Program ? QString() : text);
            shape.linesBefore.append(kept);
            kept.clear();
            read.entries.append(std::move(parsed.entry));
        } else {
            kept.append(line);
        }
    }
    shape.linesAfter = kept;
    if (read.entries.isEmpty()) {
        throw refuse(Texts::tr("žádný jeho řádek neobsahuje dvojici slov oddělených "
                               "znakem '/'."));
    }
    read.markSaved();
    return read;
}

QByteArray ReadVocabularyFile(const QString &path, Vocabulary &vocabulary)
{
    FileStamp stamp;
    QByteArray bytes = ReadFileBytes(path, &stamp);
    Vocabulary read = ParseVocabularyFile(bytes, path);
    read.path = vocabulary.path;
    read.stamp = stamp;
    vocabulary = std::move(read);
    return bytes;
}

QString FormatCounters(const Counters &counters)
{
    QString fields;
    for (std::size_t i = 0; i < counters.size(); ++i) {
        if (i > 0)
            fields += QLatin1Char(',');
        fields += PadNumber(counters[i], counterWidth);
    }
    return fields;
}

QString FormatVocabularyLine(const VocabularyEntry &entry)
{
    return sidePart(entry.side[1], entry.comment[1]) + QLatin1String(" / ")
           + sidePart(entry.side[2], entry.comment[2]) + QLatin1String(" @") + counterFields(entry);
}

namespace {

// The line of a pair that keeps the text of its line as read, with the entry's counters.
QString ownTextVocabularyLine(const QString &lineAsRead, const VocabularyEntry &entry)
{
    // Everything before the statistics stays; a line without them gets them after a blank.
    const qsizetype at = lineAsRead.indexOf(QLatin1Char('@'));
    const QString text = at < 0 ? lineAsRead + QLatin1Char(' ') : lineAsRead.left(at);
    return text + QLatin1Char('@') + counterFields(entry);
}

// The program's form keeps this side as it is: no character that the form gives a meaning,
// no blank or control character that trimming would take, and room within the capacity.
bool programFormKeepsSide(const QString &side, const QString &comment, bool first)
{
    const auto plain = [first](const QString &text) {
        for (QChar c : text) {
            if (c.unicode() < 32 || c == QLatin1Char('@') || c == QLatin1Char('{')
                || c == QLatin1Char('}') || (first && c == QLatin1Char('/')))
                return false;
        }
        return true;
    };
    if (!plain(side) || !plain(comment))
        return false;
    const auto trimmed = [](QStringView text) {
        return text.isEmpty()
               || (text.front() != QLatin1Char(' ') && text.back() != QLatin1Char(' '));
    };
    if (first && side.startsWith(QLatin1Char('*')))
        return false;
    if (comment.isEmpty())
        return trimmed(side) && side.size() <= Vocabulary::EntryTextCapacity;
    // The reader leaves the blank before the brace on the side; the form writes one.
    return side.size() >= 2 && side.endsWith(QLatin1Char(' '))
           && trimmed(QStringView(side).chopped(1)) && trimmed(comment)
           && side.size() + comment.size() + 2 <= Vocabulary::EntryTextCapacity;
}

// How the pair read from `line` as `entry` is written back so that it reads back the same
// and loses no text: the program's form when it can, otherwise the line's own text.
PairLineForm choosePairLineForm(const QString &line, const ParsedLine &parsed)
{
    // With the '@' before the '/', the counters come from the pair's own text (and the
    // second side is lost in them): no line can hold counters of its own, so it stays.
    const qsizetype at = line.indexOf(QLatin1Char('@'));
    if (at >= 0 && at < line.indexOf(QLatin1Char('/')))
        return PairLineForm::Unchanged;
    // Words after the '@' without a comma (an address in a side, a note) are the user's text;
    // with a comma they are counters, damaged ones, and read as such.
    if (at >= 0) {
        const QStringView after = QStringView(line).mid(at + 1);
        if (!after.contains(QLatin1Char(','))
            && std::any_of(after.begin(), after.end(), [](QChar c) { return c.isLetter(); }))
            return PairLineForm::Unchanged;
    }
    const VocabularyEntry &entry = parsed.entry;
    if (!parsed.truncated && programFormKeepsSide(entry.side[1], entry.comment[1], true)
        && programFormKeepsSide(entry.side[2], entry.comment[2], false))
        return PairLineForm::Program;
    // Otherwise a form is good when it reads back as the pair, whatever counters it carries.
    VocabularyEntry probe = parsed.entry;
    SetCounters(probe, {11, 222, 3333, 44444});
    const auto readsBack = [&](const std::function<QString(const VocabularyEntry &)> &format) {
        return readsBackAs(format(probe), probe);
    };
    if (!parsed.truncated && readsBack(FormatVocabularyLine))
        return PairLineForm::Program;
    if (readsBack(
            [&line](const VocabularyEntry &entry) { return ownTextVocabularyLine(line, entry); }))
        return PairLineForm::OwnText;
    return PairLineForm::Unchanged;
}

} // namespace

QByteArray FormatVocabularyFile(const Vocabulary &vocabulary, TextEncoding *used)
{
    const FileShape &shape = vocabulary.shape;
    const QLatin1String newline("\r\n");
    QString text;
    text.reserve(vocabulary.count() * 150 + 200);
    if (!vocabulary.theme.isEmpty())
        text += vocabulary.theme + newline;
    if (shape.formatted.size() != vocabulary.entries.size()) {
        shape.formatted = QStringList(vocabulary.entries.size());
        shape.formattedFor = QList<Counters>(vocabulary.entries.size());
    }
    for (qsizetype i = 0; i < vocabulary.entries.size(); ++i) {
        const VocabularyEntry &entry = vocabulary.entries.at(i);
        if (i < shape.linesBefore.size()) {
            for (const QString &line : shape.linesBefore.at(i))
                text += line;
        }
        const PairLineForm form
            = i < shape.forms.size() ? shape.forms.at(i) : PairLineForm::Program;
        const Counters counters = CountersOf(entry);
        QString &line = shape.formatted[i];
        if (line.isNull() || shape.formattedFor.at(i) != counters) {
            switch (form) {
            case PairLineForm::Program:
                line = FormatVocabularyLine(entry);
                break;
            case PairLineForm::OwnText:
                line = ownTextVocabularyLine(shape.pairLines.at(i), entry);
                break;
            case PairLineForm::Unchanged:
                line = shape.pairLines.at(i);
                break;
            }
            shape.formattedFor[i] = counters;
        }
        text += line;
        text += newline;
    }
    for (const QString &line : shape.linesAfter)
        text += line;
    return JoinTextFile(text, shape.tail, vocabulary.encoding, used);
}

FileStamp WriteVocabularyFile(const QString &path, const Vocabulary &vocabulary,
                              const WriteJournal &journal)
{
    return journal.write(path, FormatVocabularyFile(vocabulary));
}
