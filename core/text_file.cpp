#include "text_file.h"

#include "file_error.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>
#include <QSaveFile>

#include <cerrno>
#include <functional>

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(TextFile)
};

FileStamp stampOf(const struct stat &info)
{
    FileStamp stamp;
    stamp.size = qint64(info.st_size);
    stamp.modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changed = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    stamp.inode = quint64(info.st_ino);
    return stamp;
}

void stampContent(FileStamp &stamp, const QByteArray &bytes)
{
    stamp.hash = quint64(qHashBits(bytes.constData(), std::size_t(bytes.size()), 0x4d65726b6f));
}

// The same lines, each with the ending that followed it ("\r\n", "\n" or none for a last line).
QStringList splitLinesWithEndings(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf(QLatin1Char('\n'), start);
        const qsizetype end = newline < 0 ? text.size() : newline + 1;
        lines.append(text.mid(start, end - start));
        start = end;
    }
    return lines;
}

} // namespace

QString FileErrorReason(int error, const QString &fallback)
{
    switch (error) {
    case ENOSPC:
        return Texts::tr("na disku není dost místa");
    case EDQUOT:
        return Texts::tr("byla překročena disková kvóta");
    case EFBIG:
        return Texts::tr("soubor by překročil největší povolenou velikost");
    case EROFS:
        return Texts::tr("disk je jen pro čtení");
    case EACCES:
    case EPERM:
        return Texts::tr("přístup byl odepřen");
    case EIO:
        return Texts::tr("chyba vstupu nebo výstupu zařízení (není disk odpojen?)");
    default:
        break;
    }
    if (error != 0 && (fallback.isEmpty() || fallback == QFile().errorString()))
        return qt_error_string(error);
    return fallback;
}

namespace {

// The message of a failed file operation: the reason, or the caller's text around it.
QString failureMessage(const QString &failureText, const QString &reason)
{
    if (failureText.isEmpty())
        return reason;
    return failureText.contains(QLatin1String("%1")) ? failureText.arg(reason) : failureText;
}

} // namespace

FileStamp CurrentStamp(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return stampOf(info);
}

QByteArray ReadFileBytes(const QString &path, FileStamp *stamp, const QString &failureText)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(failureMessage(failureText, file.errorString()));
    struct stat info;
    const bool known = ::fstat(file.handle(), &info) == 0;
    if (file.size() > MaxTextFileSize) {
        throw FileError(failureMessage(
            failureText, Texts::tr("Soubor %1 je příliš velký (%2 MB). Program čte soubory "
                                   "nejvýše do %3 MB; soubor zůstal beze změny.")
                             .arg(path)
                             .arg(file.size() / (1024 * 1024))
                             .arg(MaxTextFileSize / (1024 * 1024))));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(failureMessage(failureText, file.errorString()));
    if (stamp) {
        *stamp = known ? stampOf(info) : FileStamp();
        stampContent(*stamp, bytes);
    }
    return bytes;
}

namespace {

// The text ends at the first Ctrl-Z; the mark and whatever follows it go to the tail unread.
QString decodedText(const QByteArray &bytes, TextEncoding &encoding, QByteArray &tail)
{
    const qsizetype end = bytes.indexOf('\x1a');
    const QByteArray text = end < 0 ? bytes : bytes.left(end);
    tail = end < 0 ? QByteArray() : bytes.mid(end);
    encoding = DetectEncoding(text);
    return DecodeText(text, encoding);
}

} // namespace

TextFileParts SplitTextFile(const QByteArray &bytes)
{
    TextFileParts parts;
    parts.lines = splitLinesWithEndings(decodedText(bytes, parts.encoding, parts.tail));
    return parts;
}

QByteArray JoinTextFile(const QString &text, const QByteArray &tail, TextEncoding encoding,
                        TextEncoding *used)
{
    const QByteArray bytes = EncodeText(text, encoding);
    if (used)
        *used = encoding;
    return bytes + tail;
}

QStringList TextLines(const QByteArray &bytes)
{
    TextEncoding encoding;
    QByteArray tail;
    return SplitLines(decodedText(bytes, encoding, tail));
}

QStringList ReadTextFileLines(const QString &path)
{
    return TextLines(ReadFileBytes(path));
}

QStringList SplitLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

QStringView WithoutEnding(const QString &line)
{
    // A line ends at its LF, or at a CR before it; a CR that ends the last line of the text
    // (before the end of the file or a Ctrl-Z) is its ending too.
    QStringView text(line);
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}

QByteArray JoinLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    TextEncoding encoding = TextEncoding::Windows1250;
    return EncodeText(text, encoding);
}

namespace {

using Failure = std::function<QString(int error, const QString &toolkitText)>;

// A file the user may write in a folder the user may not (a shared class folder) cannot get a
// temporary copy beside it: it is written in place, as its owner allowed, without truncating
// it first. The space is reserved before the first byte is overwritten, so that a full disk
// leaves the old content whole; only a kill can cut the write short, and the caller's
// journal, kept just before the first byte is written, finishes it.
FileStamp writeInPlace(const QString &path, const QByteArray &bytes, const Failure &failure,
                       const std::function<void()> &beforeWritingInPlace)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadWrite))
        throw FileError(failure(errno, file.errorString()));
    const int handle = file.handle();
    // The space is reserved without changing the file: a kill right after it leaves the file
    // exactly as it was. A file system that cannot reserve is written without.
    if (!bytes.isEmpty() && ::fallocate(handle, FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0
        && errno != EOPNOTSUPP && errno != ENOSYS)
        throw FileError(failure(errno, QString()));
    if (beforeWritingInPlace)
        beforeWritingInPlace();
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw FileError(failure(errno, file.errorString()));
    errno = 0;
    if (::ftruncate(handle, off_t(bytes.size())) != 0 || ::fsync(handle) != 0)
        throw FileError(failure(errno, QString()));
    file.close();
    FileStamp stamp = CurrentStamp(path);
    stampContent(stamp, bytes);
    return stamp;
}

// The folder refuses a new file, but the file itself may be written.
bool folderRefusesNewFiles(int error, const QString &path)
{
    return (error == EACCES || error == EPERM) && QFileInfo(path).isFile()
           && QFileInfo(path).isWritable();
}

} // namespace

FileStamp WriteFileSafely(const QString &path, const QByteArray &bytes, const QString &failureText,
                          const std::function<void()> &beforeWritingInPlace)
{
    const Failure failure = [&failureText](int error, const QString &toolkitText) {
        return failureMessage(failureText, FileErrorReason(error, toolkitText));
    };
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        const int error = errno;
        if (folderRefusesNewFiles(error, path))
            return writeInPlace(path, bytes, failure, beforeWritingInPlace);
        throw FileError(failure(error, file.errorString()));
    }
    // QSaveFile notices a failed write only while writing, not while its buffer is flushed
    // on commit, so the flush is checked here; otherwise a cut file could replace the old one.
    // A write cut short reports no reason of its own: the system's is taken at once.
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const int error = errno;
        const QString message = failure(error, file.errorString());
        file.cancelWriting();
        throw FileError(message);
    }
    errno = 0;
    if (!file.commit())
        throw FileError(failure(errno, file.errorString()));
    FileStamp stamp = CurrentStamp(path);
    stampContent(stamp, bytes);
    return stamp;
}

QByteArray ContentVersion(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}
