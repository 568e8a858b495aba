#include "editor_content.h"

#include "core/text_file.h"
#include "vocabulary_file.h"

namespace {

bool bothFilled(const EditorRow &row)
{
    return !TrimWhite(row.first).isEmpty() && !TrimWhite(row.second).isEmpty();
}

} // namespace

EditorContent ReadEditorContent(const QByteArray &bytes)
{
    EditorContent content;
    const TextFileParts parts = SplitTextFile(bytes);
    content.tail = parts.tail;
    content.encoding = parts.encoding;
    const QStringList &lines = parts.lines;
    QStringList unseen;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = WithoutEnding(lines.at(i)).toString();
        if (line.startsWith(QLatin1Char('*')) && i == 0) {
            content.theme = line;
            continue;
        }
        QString pair = line;
        const qsizetype at = pair.indexOf(QLatin1Char('@'));
        if (at >= 0)
            pair = TrimSpaces(pair.left(at));
        const qsizetype slash = pair.indexOf(QLatin1Char('/'));
        if (line.isEmpty() || line.startsWith(QLatin1Char('*')) || slash < 0) {
            unseen.append(lines.at(i));
            continue;
        }
        content.rows.append({TrimSpaces(pair.left(slash)), TrimSpaces(pair.mid(slash + 1))});
        content.readRows.append(content.rows.last());
        content.counters.append(CountersOf(ParseVocabularyLine(line, false).entry));
        content.linesBefore.append(unseen);
        unseen.clear();
    }
    content.linesAfter = unseen;
    return content;
}

QByteArray FormatEditorFile(const EditorContent &content, TextEncoding *used)
{
    const QLatin1String newline("\r\n");
    QString text;
    if (!content.theme.isEmpty())
        text += content.theme + newline;
    const qsizetype read = content.linesBefore.size();
    for (qsizetype i = 0; i < content.rows.size(); ++i) {
        if (i < read) {
            for (const QString &line : content.linesBefore.at(i))
                text += line;
        }
        // A row is written as the file had it, or when both its sides are filled: emptying a
        // side deletes the pair.
        const EditorRow &row = content.rows.at(i);
        const bool unchanged = i < content.readRows.size() && row == content.readRows.at(i);
        if (!unchanged && !bothFilled(row))
            continue;
        text += row.first + QStringLiteral("   /   ") + row.second;
        if (i < content.counters.size() && content.counters.at(i) != Counters{})
            text += QStringLiteral(" @") + FormatCounters(content.counters.at(i));
        text += newline;
    }
    for (const QString &line : content.linesAfter)
        text += line;
    return JoinTextFile(text, content.tail, content.encoding, used);
}

EditorContent ReadEditorFile(const QString &path)
{
    const QByteArray bytes = ReadFileBytes(path);
    EditorContent content = ReadEditorContent(bytes);
    return content;
}

bool WriteEditorFile(const QString &path, const EditorContent &content, const WriteJournal &journal)
{
    TextEncoding used = content.encoding;
    journal.write(path, FormatEditorFile(content, &used));
    return content.encoding == TextEncoding::Windows1250 && used != content.encoding;
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

void WriteNewDictionary(const QString &path, const QString &theme, const QList<EditorRow> &rows,
                        const WriteJournal &journal)
{
    journal.write(path, JoinLines(FormatNewDictionaryLines(theme, rows)));
}
