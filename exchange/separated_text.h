#pragma once

#include "imported_pairs.h"

// Tab-, semicolon- or comma-separated text, as spreadsheets and flash-card programs write it.

// Reads tab-, semicolon- or comma-separated text (the separator found or named in a
// "#separator:" line): the first two fields become the sides; fields in double quotes may hold
// separators, doubled quotes and line breaks; HTML in fields becomes plain text. Columns named
// "Comment 1" and "Comment 2" in a "#columns:" line become the comments. Throws FileError for a
// file with no pair.
ImportResult ImportDelimited(const QByteArray &bytes);
// The same of text already decoded.
ImportResult ImportDelimitedText(QString text);
// The dictionary as tab-separated UTF-8 text with header lines: side 1, side 2, comment 1,
// comment 2.
QByteArray ExportDelimited(const Vocabulary &vocabulary);
