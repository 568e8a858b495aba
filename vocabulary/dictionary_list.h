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

// Where an installed program keeps its sample dictionaries (beside its bin folder).
QString InstalledSampleFolder(const QString &programDirectory);

// Copies the sample dictionaries that the user's folder lacks from the installed folder,
// which the user may not write to, into the user's folder, where their statistics can be
// written. Returns the user's folder, or empty when there are no installed samples.
QString PrepareSampleDictionaries(const QString &installedFolder, const QString &userFolder);
