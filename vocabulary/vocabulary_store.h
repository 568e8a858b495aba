#pragma once

#include "vocabulary.h"

#include <QString>

#include <functional>

// Writes the current dictionary back to its own file when one is current and holds pairs;
// otherwise does nothing. Throws FileError when the write fails.
void SaveVocabulary(const Vocabulary &vocabulary);

// Makes the named file the current dictionary: the current one is written back first, then
// the file is read and its full name (resolved against the working directory now) becomes
// the path. Throws FileError when the write-back or the read fails; the current dictionary
// then stays as it was (written back, when that succeeded).
void ReadCurrentVocabulary(Vocabulary &vocabulary, const QString &fileName);

// The main window's caption of the dictionary: the theme (without its '*', at most 100
// characters) or " ?????", then the number of pairs.
QString VocabularyCaption(const Vocabulary &vocabulary);
// Shown when there is no pair to offer or no dictionary file to show.
inline const QString EmptyVocabularyMessage
    = QStringLiteral("Soubor slov dosud nebyl načten nebo je prázdný.");
inline const QString NoVocabularyCaption = QStringLiteral(" žádný slovník dosud nebyl načten ");

// The full name of a file name as the working directory resolves it now.
QString ResolvedPath(const QString &fileName);
// Both names lead to the same file (links followed where the files exist).
bool SameFile(const QString &a, const QString &b);

// Opens the chosen file for editing through `open`, which throws FileError when it cannot.
// When the file is the current dictionary's, that dictionary is written back and set aside
// (its path emptied) first, so that it is read again after the editor; should `open` then
// fail, it gets its path back and its statistics still reach its file.
void OpenForEditing(Vocabulary &vocabulary, const QString &chosen,
                    const std::function<void(const QString &path)> &open);
