#pragma once

#include "imported_pairs.h"

// KVTML 2.0, the XML vocabulary format of the KDE flash-card programs.

// Reads a KVTML file: the first two translations of each entry become the two sides, their
// comments the comments, the document's title the theme. Throws FileError for malformed XML
// (with its line number) and for a file with no entry.
ImportResult ImportKvtml(const QByteArray &bytes);
// The dictionary as KVTML 2.0 (UTF-8): two identifiers, the theme as title, one entry per pair
// with its comments.
QByteArray ExportKvtml(const Vocabulary &vocabulary);
