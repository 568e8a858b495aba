#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Every text file of the program (dictionaries, settings, reports) is windows-1250 on disk.
QString DecodeCp1250(const QByteArray &bytes);
// Characters that windows-1250 cannot hold become '?' (never the Ctrl-Z that ends a dictionary).
QByteArray EncodeCp1250(const QString &text);

// The largest text file the program reads: far beyond any dictionary of 1000 pairs, small
// enough that a wrong file chosen by mistake cannot exhaust the memory.
inline constexpr qint64 MaxTextFileSize = 16 * 1024 * 1024;

// The whole file; throws FileError with the system's text when it cannot be opened or read,
// and with a message of its own when it is larger than MaxTextFileSize.
QByteArray ReadFileBytes(const QString &path);
// The lines of windows-1250 text bytes up to the first Ctrl-Z, which ends a text file.
QStringList TextLines(QByteArray bytes);
// The lines of a windows-1250 text file up to its first Ctrl-Z; throws FileError.
QStringList ReadTextFileLines(const QString &path);
// The lines of a text: CR LF and bare LF both end a line, a last line needs no ending.
QStringList SplitLines(const QString &text);
// The lines, each followed by CR LF, encoded in windows-1250.
QByteArray JoinLines(const QStringList &lines);
// Replaces the file through a temporary copy, so a failure leaves the old file whole.
// Throws FileError with the system's text on failure.
void WriteFileSafely(const QString &path, const QByteArray &bytes);
