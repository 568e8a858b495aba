#include "write_journal.h"

#include "file_error.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

#include <algorithm>

#include <unistd.h>

namespace {

const QByteArray magic("MERKO-JOURNAL 1\n");

// One entry: the file, what it held, whether it is written in place, and its new content.
struct Entry
{
    QString path;
    quint64 expectedHash = 0;
    qint64 oldSize = -1;
    bool inPlace = false;
    QByteArray bytes;
};

QByteArray formatEntry(const Entry &entry)
{
    return magic + entry.path.toUtf8().toBase64() + '\n' + QByteArray::number(entry.expectedHash)
           + '\n' + QByteArray::number(entry.oldSize) + '\n' + (entry.inPlace ? "1\n" : "0\n")
           + QByteArray::number(entry.bytes.size()) + '\n' + entry.bytes;
}

// False for what is no entry of ours, or one that a kill cut short (its length says so).
bool parseEntry(const QByteArray &data, Entry &entry)
{
    if (!data.startsWith(magic))
        return false;
    qsizetype at = magic.size();
    QByteArrayList fields;
    for (int i = 0; i < 5; ++i) {
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
    entry.bytes = data.mid(at);
    // An entry cut short by a kill was written before its file was touched: it is no use.
    return hashRead && sizeRead && lengthRead && entry.bytes.size() == length
           && !entry.path.isEmpty();
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
    QDir().mkpath(m_folder);
    const QByteArray data = formatEntry({path, expectedHash, oldSize, inPlace, bytes});
    // Written straight into place: an entry cut short tells its own length, and its file has
    // not been touched yet.
    QFile file(entryPath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size()
        || !file.flush())
        throw FileError(file.errorString());
    // Before a file is written in place, its new content must outlast a crash of the system too.
    if (inPlace && ::fsync(file.handle()) != 0)
        throw FileError(file.errorString());
}

void WriteJournal::end(const QString &path) const
{
    QFile::remove(entryPath(path));
}

FileStamp WriteJournal::write(const QString &path, const QByteArray &bytes, quint64 expectedHash,
                              const std::function<void()> &written) const
{
    if (m_folder.isEmpty()) {
        const FileStamp stamp = WriteFileSafely(path, bytes);
        if (written)
            written();
        return stamp;
    }
    const qint64 oldSize = CurrentStamp(path).size;
    begin(path, bytes, expectedHash, oldSize, false);
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
    // place (the new content written over the old from the start: its size lies between the
    // two). A new file that a kill kept from its place is still missing.
    const qint64 newSize = entry.bytes.size();
    const bool halfWritten = entry.inPlace && stamp.size >= std::min(entry.oldSize, newSize)
                             && stamp.size <= std::max(entry.oldSize, newSize);
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
