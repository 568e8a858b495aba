#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "core/number_ranges.h"

#include <functional>
#include <ostream>

// Bytes on disk, for tests that check exactly what a writer produced.
QByteArray ReadBytes(const QString &path);
void WriteBytes(const QString &path, const QByteArray &bytes);
// Gives the file the time it was written `seconds` ago, as a sync tool that brings a file
// does; the file still came now (its status changes now).
void SetWrittenBefore(const QString &path, int seconds);
// Writes the dictionary `name` into the synchronised folder, as the user puts one there.
void PutInFolder(const QString &folder, const QString &name, const QByteArray &bytes);
// Windows-1250 bytes of a text written in UTF-8 source.
QByteArray Cp1250(const char *utf8);

// A text written in UTF-8 source.
inline QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Runs `body` in a child process and gives its exit code; 77 means the child could not set up
// what it needed (the test is then skipped), 99 that it threw.
int InChild(const std::function<int()> &body);
// In a child process: a file system of `size` (16 kB unless given) of its own at the folder, in
// a mount namespace of its own, for a disk that fills up. False where that is not allowed.
bool MountTinyDisk(const QString &folder, const char *size = "16k");
// In a child process: the folder as it is, but read-only, in a mount namespace of its own
// (root writes wherever permission bits forbid it, but not on a read-only mount).
bool MountReadOnly(const QString &folder);

// Lets GoogleTest print QString values in failure messages.
void PrintTo(const QString &text, std::ostream *out);

// Records of several computers, written as a log writes them: "a:1-5,b:1-2+4".
RecordSet Records(const char *text);
void PrintTo(const NumberRanges &ranges, std::ostream *out);

// One value that a query of the database at `path` gives, read through a connection of its
// own, as another program would.
QVariant queryValue(const QString &path, const QString &statement);
// Renames a table of the database at `path` while the views that read it keep its old name, so
// that they fail until it is renamed back.
void RenameTableUnderViews(const QString &path, const QString &from, const QString &to);
// The rows a question gives, each its values joined by '|'.
QStringList queryRows(QSqlDatabase db, const QString &statement);
