#include "write_journal.h"

#include "file_error.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

#include <algorithm>
#include <optional>
#include <cerrno>

#include <unistd.h>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(WriteJournal)
};

// Version 2 keeps the old content of a file written in place, to recognise it half written.
const QByteArray magic("MERKO-JOURNAL 2\n");
const QByteArray firstMagic("MERKO-JOURNAL 1\n");

// One entry: the file, what it held, whether it is written in place, and its new content
// (followed, for a write in place, by the old one).
struct Entry
{
    QString path;
    quint64 expectedHash = 0;
    qint64 oldSize = -1;
    bool inPlace = false;
    QByteArray bytes;
    std::optional<QByteArray> oldBytes; // none in an entry of the first version
};

QByteArray formatEntry(const Entry &entry)
{
    const QByteArray old = entry.oldBytes.value_or(QByteArray());
    return magic + entry.path.toUtf8().toBase64() + '\n' + QByteArray::number(entry.expectedHash)
           + '\n' + QByteArray::number(entry.oldSize) + '\n' + (entry.inPlace ? "1\n" : "0\n")
           + QByteArray::number(entry.bytes.size()) + '\n' + QByteArray::number(old.size()) + '\n'
           + entry.bytes + old;
}

// False for what is no entry of ours, or one that a kill cut short (its length says so).
bool parseEntry(const QByteArray &data, Entry &entry)
{
    const bool first = data.startsWith(firstMagic);
    if (!first && !data.startsWith(magic))
        return false;
    qsizetype at = magic.size();
    QByteArrayList fields;
    for (int i = 0; i < (first ? 5 : 6); ++i) {
        const qsizetype end = data.indexOf('\n', at);
        if (end < 0)
            return false;
        fields.append(data.mid(at, end - at));
        at = end + 1;
    }
    bool hashRead = false, sizeRead = false, lengthRead = false;
    entry.path = QString::fromUtf8(QByteArray::fromBase64(fields.at(0)));
    entry.expectedHash = fields.at(1).toULongLong(&hashRead);
    entry.oldSize = fields.at(2).toLongLong(&sizeRead);
    entry.inPlace = fields.at(3) == "1";
    const qsizetype length = fields.at(4).toLongLong(&lengthRead);
    bool oldLengthRead = true;
    const qsizetype oldLength = first ? 0 : fields.at(5).toLongLong(&oldLengthRead);
    // An entry cut short by a kill was written before its file was touched: it is no use.
    if (!hashRead || !sizeRead || !lengthRead || !oldLengthRead || length < 0 || oldLength < 0
        || data.size() - at != length + oldLength || entry.path.isEmpty())
        return false;
    entry.bytes = data.mid(at, length);
    if (!first)
        entry.oldBytes = data.mid(at + length);
    return true;
}

// A write in place puts the new content over the old from the start and cuts the file to its
// size last: a kill leaves the new content up to some point, then the old one's rest.
bool leftHalfWrittenInPlace(const QByteArray &current, const QByteArray &oldBytes,
                            const QByteArray &newBytes)
{
    const qsizetype limit = std::min(current.size(), newBytes.size());
    qsizetype common = 0;
    while (common < limit && current.at(common) == newBytes.at(common))
        ++common;
    return current.mid(common) == oldBytes.mid(common);
}

// Where new content that could not be put into its file is kept, with the time in its name.
QString setAsidePath(const QString &folder, const QString &path)
{
    const QFileInfo file(path);
    return QDir(folder).filePath(
        file.completeBaseName() + QStringLiteral("-neulozeno-")
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))
        + QLatin1Char('.') + file.suffix());
}

} // namespace

WriteJournal::WriteJournal(QString folder)
    : m_folder(std::move(folder))
{}

QString WriteJournal::entryPath(const QString &path) const
{
    const QByteArray name
        = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(24);
    return QDir(m_folder).filePath(QString::fromLatin1(name) + QStringLiteral(".journal"));
}

void WriteJournal::begin(const QString &path, const QByteArray &bytes, quint64 expectedHash,
                         qint64 oldSize, bool inPlace) const
{
    errno = 0;
    if (!QDir().mkpath(m_folder))
        throw FileError(FileErrorReason(errno, Texts::tr("složku nelze vytvořit")));
    // The old content of a file about to be written in place, which is untouched yet.
    std::optional<QByteArray> oldBytes;
    if (inPlace)
        oldBytes = QFileInfo(path).isFile() ? ReadFileBytes(path) : QByteArray();
    const QByteArray data = formatEntry({path, expectedHash, oldSize, inPlace, bytes, oldBytes});
    // Written straight into place: an entry cut short tells its own length, and its file has
    // not been touched yet.
    QFile file(entryPath(path));
    errno = 0;
    bool kept = file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                && file.write(data) == data.size() && file.flush();
    // Before a file is written in place, its new content must outlast a crash of the system too.
    if (kept && inPlace)
        kept = ::fsync(file.handle()) == 0;
    if (!kept) {
        const QString reason = FileErrorReason(errno, file.errorString());
        file.remove(); // an entry cut short is of no use
        throw FileError(reason);
    }
}

void WriteJournal::end(const QString &path) const
{
    QFile::remove(entryPath(path));
}

FileStamp WriteJournal::write(const QString &path, const QByteArray &bytes, quint64 expectedHash,
                              const std::function<void()> &written, QString *unkept) const
{
    if (m_folder.isEmpty()) {
        const FileStamp stamp = WriteFileSafely(path, bytes);
        if (written)
            written();
        return stamp;
    }
    const qint64 oldSize = CurrentStamp(path).size;
    if (const auto failure
        = FileFailureOf([&] { begin(path, bytes, expectedHash, oldSize, false); })) {
        // The journal is an extra safety: the temporary copy keeps the old file whole without
        // it. Only a write in place, which a kill can cut short, is not done without it.
        if (unkept)
            *unkept = failure->message();
        const FileStamp stamp = WriteFileSafely(path, bytes, QString(), [&] {
            throw FileError(Texts::tr("soubor lze zapsat jen přímo na jeho místo, a to bez "
                                      "deníku zápisů (%1) není bezpečné")
                                .arg(failure->message()));
        });
        if (written)
            written();
        return stamp;
    }
    // Given up when the write fails, unless it failed half-way in place: then only the
    // journal still holds what the file was to hold.
    bool halfWayInPlace = false;
    const auto giveUp = qScopeGuard([&] {
        if (!halfWayInPlace)
            end(path);
    });
    const FileStamp stamp = WriteFileSafely(path, bytes, QString(), [&] {
        begin(path, bytes, expectedHash, oldSize, true);
        halfWayInPlace = true;
    });
    halfWayInPlace = false;
    if (written)
        written();
    return stamp;
}

FileStamp WriteJournal::write(const QString &path, const QByteArray &bytes) const
{
    if (m_folder.isEmpty())
        return WriteFileSafely(path, bytes);
    FileStamp now;
    if (QFileInfo(path).isFile())
        ReadFileBytes(path, &now);
    return write(path, bytes, now.hash);
}

QStringList WriteJournal::pending() const
{
    if (m_folder.isEmpty())
        return {};
    QStringList entries;
    const QDir folder(m_folder);
    for (const QString &name :
         folder.entryList({QStringLiteral("*.journal")}, QDir::Files, QDir::Name))
        entries.append(folder.filePath(name));
    return entries;
}

JournalRecovery WriteJournal::recover(const QString &entryFile) const
{
    Entry entry;
    JournalRecovery result;
    if (!parseEntry(ReadFileBytes(entryFile), entry)) {
        QFile::remove(entryFile); // none of ours, or of no use to anyone
        return result;
    }
    result.path = entry.path;
    FileStamp stamp;
    const bool exists = QFileInfo(entry.path).isFile();
    const QByteArray current = exists ? ReadFileBytes(entry.path, &stamp) : QByteArray();
    // Killed before its temporary copy replaced the file, or half-way through writing it in
    // place, as its content shows (an entry of the first version knew only the old size).
    // A new file that a kill kept from its place is still missing.
    const qint64 newSize = entry.bytes.size();
    const bool halfWritten
        = entry.inPlace
          && (entry.oldBytes ? leftHalfWrittenInPlace(current, *entry.oldBytes, entry.bytes)
                             : stamp.size >= std::min(entry.oldSize, newSize)
                                   && stamp.size <= std::max(entry.oldSize, newSize));
    const bool asLeft
        = exists ? stamp.hash == entry.expectedHash || halfWritten : entry.oldSize < 0;
    if (exists && current == entry.bytes) {
        result.outcome = JournalRecovery::Outcome::AlreadyDone;
    } else if (asLeft) {
        WriteFileSafely(entry.path, entry.bytes);
        result.outcome = JournalRecovery::Outcome::Finished;
    } else {
        // Changed by someone else since, or gone: nothing is written over, nothing lost.
        result.setAsidePath = setAsidePath(m_folder, entry.path);
        WriteFileSafely(result.setAsidePath, entry.bytes);
        result.outcome = JournalRecovery::Outcome::SetAside;
    }
    for (const QString &copy : TemporaryCopiesOf(entry.path, entry.bytes))
        QFile::remove(copy);
    QFile::remove(entryFile);
    return result;
}

QStringList TemporaryCopiesOf(const QString &path, const QByteArray &content)
{
    const QFileInfo file(path);
    const QRegularExpression own(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(file.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    QStringList copies;
    const QDir folder = file.dir();
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (!own.match(name).hasMatch())
            continue;
        QFile copy(folder.filePath(name));
        if (copy.size() <= content.size() && copy.open(QIODevice::ReadOnly)
            && content.startsWith(copy.readAll()))
            copies.append(copy.fileName());
    }
    return copies;
}
