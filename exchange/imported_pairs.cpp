#include "imported_pairs.h"

#include "kvtml.h"
#include "separated_text.h"

#include "core/file_error.h"
#include "core/text_file.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/languages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(ImportedPairs)
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

QString OneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar &c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return TrimWhite(text);
}

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
    return xml ? ImportKvtml(bytes) : ImportDelimitedText(std::move(text));
}

ImportResult ImportVocabularyFile(const QString &path)
{
    ImportResult result = ImportVocabulary(ReadFileBytes(path));
    if (result.title.isEmpty())
        result.title = OneLine(QFileInfo(path).completeBaseName());
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
