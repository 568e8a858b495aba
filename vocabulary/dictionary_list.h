#pragma once

#include <QString>
#include <QStringList>

// The dictionary files ("*.slv", any letter case) of a directory, sorted by name without
// regard to case.
QStringList ListDictionaryFiles(const QString &directory);

// The list item of a dictionary file: its name, and " - " with the theme when the first
// line (trimmed) begins with '*' (at most 50 characters of it after the '*').
QString DictionaryListItem(const QString &fileName, const QString &firstLine);

// The first line of a file, decoded; empty for an empty file. Throws FileError when the
// file cannot be opened.
QString ReadFirstLine(const QString &path);
