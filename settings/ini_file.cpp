#include "ini_file.h"

#include "core/text_file.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(IniFile)
};

// The name of a '[name]' line, or nothing when the line is no section header.
std::optional<QString> sectionName(const QString &line)
{
    const QString text = line.trimmed();
    if (text.size() < 2 || !text.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return text.mid(1, close - 1).trimmed();
}

bool isComment(const QString &line)
{
    const QString text = line.trimmed();
    return text.startsWith(QLatin1Char(';')) || text.startsWith(QLatin1Char('#'));
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile IniFile::fromBytes(const QByteArray &bytes)
{
    IniFile ini;
    ini.m_lines = SplitLines(DecodeDetectedText(bytes));
    return ini;
}

IniFile IniFile::load(const QString &path)
{
    // No file yet: every value takes its default, and a write creates the file. A file that
    // is there but cannot be read is another matter: it must not be written over.
    if (!QFileInfo::exists(path))
        return IniFile();
    return fromBytes(ReadFileBytes(path, nullptr,
                                   Texts::tr("Soubor nastavení %1 nelze přečíst: %2. "
                                             "Program ho nechá, jak je.")
                                       .arg(path, QStringLiteral("%1"))));
}

IniFile::Range IniFile::findSection(const QString &section) const
{
    Range range;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines.at(i));
        if (!name)
            continue;
        if (range.header >= 0) {
            range.end = i;
            return range;
        }
        if (sameName(*name, section))
            range.header = i;
    }
    range.end = m_lines.size();
    return range;
}

qsizetype IniFile::findKey(const Range &range, const QString &key) const
{
    if (range.header < 0)
        return -1;
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const QString &line = m_lines.at(i);
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && !isComment(line) && sameName(line.left(equals).trimmed(), key))
            return i;
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const qsizetype index = findKey(findSection(section), key);
    if (index < 0)
        return std::nullopt;
    const QString &line = m_lines.at(index);
    return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString line = key + QLatin1Char('=') + value;
    Range range = findSection(section);
    if (range.header < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        m_lines.append(line);
        return;
    }
    const qsizetype index = findKey(range, key);
    if (index >= 0) {
        m_lines[index] = line;
        return;
    }
    // A new key goes after the section's last non-blank line, before the blank lines
    // that separate it from the next section.
    qsizetype insertAt = range.end;
    while (insertAt > range.header + 1 && m_lines.at(insertAt - 1).trimmed().isEmpty())
        --insertAt;
    m_lines.insert(insertAt, line);
}
