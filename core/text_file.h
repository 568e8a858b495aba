#pragma once

#include "encoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>

// The largest text file the program reads: far beyond any dictionary of 1000 pairs, small
// enough that a wrong file chosen by mistake cannot exhaust the memory.
inline constexpr qint64 MaxTextFileSize = 16 * 1024 * 1024;

// The stamps' times are in nanoseconds; the history's in milliseconds.
inline constexpr qint64 NsPerMs = 1000 * 1000;

// What a file was when it was read or written, to notice that another program changed it.
struct FileStamp
{
    qint64 size = -1;    // -1: no such file (or never read)
    qint64 modified = 0; // nanoseconds since the epoch
    // When the file last changed on this computer (its status, nanoseconds since the epoch): a
    // sync tool that brings a file keeps the time it was written elsewhere, not this one.
    qint64 changed = 0;
    quint64 inode = 0;
    quint64 hash = 0; // of the content; 0 when only the file's attributes were looked at

    // Size, time and file are the same: nothing has written the file in between.
    bool sameAttributes(const FileStamp &other) const
    {
        return size == other.size && modified == other.modified && inode == other.inode;
    }
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};
// The content's SHA-1 in hexadecimal: the same on every computer, so that a version of a file
// can be named in what the computers sync.
QByteArray ContentVersion(QByteArrayView bytes);
// The file's attributes now, without its content; size -1 when there is no such file.
FileStamp CurrentStamp(const QString &path);

// The whole file; throws FileError with the system's text when it cannot be opened or read,
// and with a message of its own when it is larger than MaxTextFileSize. `stamp`, when given,
// receives what the file was as it was read.
// A `failureText` given replaces the message; a "%1" in it stands for the reason.
QByteArray ReadFileBytes(const QString &path, FileStamp *stamp = nullptr,
                         const QString &failureText = QString());
// A text file taken apart so that it can be put together again byte for byte: its lines up to
// the first Ctrl-Z, decoded, each with its ending; the bytes from the Ctrl-Z on; the encoding.
struct TextFileParts
{
    QStringList lines;
    QByteArray tail;
    TextEncoding encoding = TextEncoding::Windows1250;
};
TextFileParts SplitTextFile(const QByteArray &bytes);
// The text in the encoding (UTF-8 with its mark when it no longer fits windows-1250, which
// `used` reports when given), followed by the tail.
QByteArray JoinTextFile(const QString &text, const QByteArray &tail, TextEncoding encoding,
                        TextEncoding *used = nullptr);

// The lines of a text file's bytes, in the encoding they are in, up to the first Ctrl-Z,
// which ends a text file.
QStringList TextLines(const QByteArray &bytes);
// The lines of a text file up to its first Ctrl-Z; throws FileError.
QStringList ReadTextFileLines(const QString &path);
// The lines of a text: CR LF and bare LF both end a line, a last line needs no ending.
QStringList SplitLines(const QString &text);
// A line of a text file taken apart (SplitTextFile) without its ending.
QStringView WithoutEnding(const QString &line);
// The lines, each followed by CR LF, in windows-1250 when every character fits, else in UTF-8
// with a byte order mark.
QByteArray JoinLines(const QStringList &lines);

// The reason of a failed file operation as the user is told it: the system's error code in
// Czech where the toolkit's text would be vague ("unknown error" for a full disk).
QString FileErrorReason(int error, const QString &toolkitText);

// Replaces the file through a temporary copy, so a failure leaves the old file whole.
// Throws FileError on failure, with the system's text, or with `failureText` when one is given
// (a "%1" in it stands for the system's text). Returns what the file is now.
// A file that the user may write in a folder the user may not is written in place, after its
// space is reserved (a full disk leaves it whole); `beforeWritingInPlace` is called just before
// its first byte is overwritten, so that the caller can keep the new content where a kill
// half-way cannot reach it.
FileStamp WriteFileSafely(const QString &path, const QByteArray &bytes,
                          const QString &failureText = QString(),
                          const std::function<void()> &beforeWritingInPlace = {});
