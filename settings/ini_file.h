#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// A small ini text editor that keeps the file's own lines: reading finds a key of a section,
// writing replaces that one line or adds it, and every other line stays as it was.
// Section and key names are matched without regard to case.
class IniFile
{
public:
    // A missing file reads as an empty one; one that cannot be read throws FileError.
    static IniFile load(const QString &path);
    // The lines of a text file's bytes.
    static IniFile fromBytes(const QByteArray &bytes);

    std::optional<QString> value(const QString &section, const QString &key) const;
    void setValue(const QString &section, const QString &key, const QString &value);

    const QStringList &lines() const { return m_lines; }

private:
    struct Range
    {
        qsizetype header = -1; // the line of '[section]', -1 when missing
        qsizetype end = 0;     // one past the section's last line
    };
    Range findSection(const QString &section) const;
    qsizetype findKey(const Range &range, const QString &key) const;

    QStringList m_lines;
};
