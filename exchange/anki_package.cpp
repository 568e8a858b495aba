#include "anki_package.h"

#include "core/file_error.h"
#include "history/sqlite_statement.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <QVariant>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>
#include <zstd.h>

#include <algorithm>
#include <memory>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(AnkiPackage)
};

// The newest collection schema this reader knows, and the newest package format.
constexpr int newestSchema = 18;
constexpr quint64 newestPackageVersion = 3;
constexpr qint64 chunkBytes = 1 << 20;
// The progress while the database is unpacked, and while its tables are read.
constexpr int unpackedPercent = 40;
constexpr int rowsBetweenProgress = 4096;

struct Stopped
{
};

QString displayName(const QString &path)
{
    return QFileInfo(path).fileName();
}

// A member whose name would lead out of a folder it were unpacked into.
bool escapesFolder(const QString &name)
{
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\'))
        || (name.size() >= 2 && name.at(1) == QLatin1Char(':')))
        return true;
    const QStringList parts
        = QString(name).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/'));
    return parts.contains(QStringLiteral(".."));
}

// The top-level varint field `number` of a protocol buffer message, if present.
std::optional<quint64> protobufVarint(const QByteArray &message, quint32 number)
{
    qsizetype at = 0;
    const auto varint = [&]() -> std::optional<quint64> {
        quint64 value = 0;
        for (int shift = 0; shift < 64 && at < message.size(); shift += 7) {
            const uchar byte = uchar(message.at(at++));
            value |= quint64(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                return value;
        }
        return std::nullopt;
    };
    while (at < message.size()) {
        const std::optional<quint64> key = varint();
        if (!key)
            return std::nullopt;
        const quint32 field = quint32(*key >> 3);
        switch (*key & 7) {
        case 0: {
            const std::optional<quint64> value = varint();
            if (!value)
                return std::nullopt;
            if (field == number)
                return value;
            break;
        }
        case 1:
            at += 8;
            break;
        case 2: {
            const std::optional<quint64> length = varint();
            if (!length || *length > quint64(message.size() - at))
                return std::nullopt;
            at += qsizetype(*length);
            break;
        }
        case 5:
            at += 4;
            break;
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// A package that cannot be read as it is: said in the interface's language, what the library
// reported kept for the details.
FileError DamagedPackage(const QString &path, const QString &reason)
{
    return FileError(
        Texts::tr("Soubor %1 je poškozený nebo neúplný balíček Anki (třeba nedokončené "
                  "stahování). Stáhněte jej nebo v Anki vyvezte znovu.")
            .arg(displayName(path)),
        reason);
}

// What the ZIP reader's error code means, for the details of a message.
QString zipFailure(int code)
{
    switch (code) {
    case UNZ_ERRNO:
        return QStringLiteral("read error");
    case UNZ_BADZIPFILE:
        return QStringLiteral("not a ZIP archive, or a damaged one");
    case UNZ_CRCERROR:
        return QStringLiteral("CRC error: the member's bytes are damaged");
    case UNZ_END_OF_LIST_OF_FILE:
        return QStringLiteral("no such member");
    default:
        return QStringLiteral("ZIP error %1").arg(code);
    }
}

class Archive
{
public:
    Archive(const QString &path, const AnkiPackageLimits &limits,
            const std::function<bool(int)> &progress)
        : m_path(path)
        , m_limits(limits)
        , m_progress(progress)
        , m_zip(path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw FileError(
                Texts::tr("Balíček %1 nelze otevřít: %2").arg(path, file.errorString()));
        const bool zipBegins = file.read(4) == QByteArray("PK\x03\x04", 4);
        file.close();
        if (m_zip.open(QuaZip::mdUnzip))
            return;
        // A download cut short begins as a ZIP archive and lacks its end.
        if (zipBegins)
            throw DamagedPackage(path, Texts::tr("archiv ZIP nemá konec, nebo je porušený"));
        throw FileError(
            Texts::tr("Soubor %1 není balíček Anki: není to archiv ZIP.").arg(displayName(path)));
    }
    Archive(const Archive &) = delete;
    Archive &operator=(const Archive &) = delete;

    // The names of the members; a name that would escape a folder is refused.
    QStringList names()
    {
        QStringList names;
        for (bool more = m_zip.goToFirstFile(); more; more = m_zip.goToNextFile()) {
            const QString name = m_zip.getCurrentFileName();
            if (escapesFolder(name))
                throw FileError(Texts::tr("Balíček %1 obsahuje soubor „%2“, jehož jméno míří "
                                          "mimo balíček; nic se nepřevzalo.")
                                    .arg(displayName(m_path), name));
            names.append(name);
        }
        if (m_zip.getZipError() != UNZ_OK)
            throw damaged(zipFailure(m_zip.getZipError()));
        return names;
    }

    // The member's bytes, passed on in chunks to `sink`; the unpacked total stays in the limit.
    // `tellProgress`: the member is the collection, whose unpacking the progress follows.
    void read(const QString &name, const std::function<void(const char *, qint64)> &sink,
              bool tellProgress = false)
    {
        QuaZipFileInfo64 info;
        if (!m_zip.setCurrentFile(name, QuaZip::csSensitive) || !m_zip.getCurrentFileInfo(&info))
            throw damaged(zipFailure(m_zip.getZipError()));
        const qint64 declared = qint64(std::min<quint64>(info.uncompressedSize, INT64_MAX));
        if (declared > m_limits.maximumUnpacked - m_unpacked)
            throw tooLarge();
        QuaZipFile file(&m_zip);
        if (!file.open(QIODevice::ReadOnly))
            throw damaged(zipFailure(file.getZipError()));
        QByteArray chunk(chunkBytes, Qt::Uninitialized);
        qint64 done = 0;
        for (;;) {
            const qint64 got = file.read(chunk.data(), chunk.size());
            if (got < 0)
                throw damaged(zipFailure(file.getZipError()));
            if (got == 0)
                break;
            count(got);
            done += got;
            sink(chunk.constData(), got);
            if (tellProgress && declared > 0)
                tell(int(std::min<qint64>(done * unpackedPercent / declared, unpackedPercent)));
            else
                tell(-1);
        }
        // The member's checksum is compared as it is closed.
        file.close();
        if (file.getZipError() != UNZ_OK)
            throw damaged(zipFailure(file.getZipError()));
    }

    // Bytes unpacked from some member, which count against the limit.
    void count(qint64 bytes)
    {
        m_unpacked += bytes;
        if (m_unpacked > m_limits.maximumUnpacked)
            throw tooLarge();
    }

    void tell(int percent) const
    {
        if (m_progress && !m_progress(percent))
            throw Stopped{};
    }

    FileError damaged(const QString &reason) const { return DamagedPackage(m_path, reason); }

private:
    FileError tooLarge() const
    {
        return FileError(Texts::tr("Balíček %1 by se rozbalil do více než %2 MB; takový "
                                   "se nepřebírá.")
                             .arg(displayName(m_path))
                             .arg(m_limits.maximumUnpacked / (1 << 20)));
    }

    QString m_path;
    AnkiPackageLimits m_limits;
    std::function<bool(int)> m_progress;
    QuaZip m_zip;
    qint64 m_unpacked = 0;
};

// Unpacks the collection into `target`, decompressing the newest form.
void unpackCollection(Archive &archive, const QString &member, bool compressed,
                      const QString &target)
{
    QFile file(target);
    const auto failed = [&] {
        return FileError(
            Texts::tr("Dočasný soubor %1 nelze zapsat: %2").arg(target, file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly))
        throw failed();
    const auto write = [&](const char *data, qint64 size) {
        if (file.write(data, size) != size)
            throw failed();
    };
    if (!compressed) {
        archive.read(member, write, true);
    } else {
        std::unique_ptr<ZSTD_DStream, decltype(&ZSTD_freeDStream)> stream(ZSTD_createDStream(),
                                                                          &ZSTD_freeDStream);
        QByteArray out(qsizetype(ZSTD_DStreamOutSize()), Qt::Uninitialized);
        size_t last = 0;
        archive.read(
            member,
            [&](const char *data, qint64 size) {
                ZSTD_inBuffer in{data, size_t(size), 0};
                while (in.pos < in.size) {
                    ZSTD_outBuffer output{out.data(), size_t(out.size()), 0};
                    last = ZSTD_decompressStream(stream.get(), &output, &in);
                    if (ZSTD_isError(last))
                        throw archive.damaged(QString::fromUtf8(ZSTD_getErrorName(last)));
                    archive.count(qint64(output.pos));
                    write(out.constData(), qint64(output.pos));
                }
            },
            true);
        if (last != 0)
            throw archive.damaged(Texts::tr("komprimovaná sbírka je neúplná"));
    }
    if (!file.flush())
        throw failed();
}

class CollectionReader
{
public:
    CollectionReader(const QString &package, const QString &database, const Archive &archive)
        : m_package(displayName(package))
        , m_archive(archive)
        , m_connection(QStringLiteral("anki-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(database);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            throw damaged(db.lastError().text());
        // Anki's newer collections declare the names of decks, note types, fields, templates,
        // option groups and tags in this collation of its own.
        AddUnicaseCollation(db);
    }
    ~CollectionReader()
    {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }

    AnkiCollection read()
    {
        AnkiCollection collection;
        QSqlQuery query = select(QStringLiteral("PRAGMA quick_check"));
        if (!query.next() || query.value(0).toString() != QLatin1String("ok"))
            throw damaged(query.value(0).toString());
        // The version first: a later one may hold its tables otherwise.
        query = select(QStringLiteral("SELECT ver FROM col"));
        if (!query.next())
            throw damaged(Texts::tr("chybí záznam sbírky"));
        const int schema = query.value(0).toInt();
        if (schema > newestSchema)
            throw FileError(Texts::tr("Sbírka v balíčku %1 má verzi %2, novější, než jakou "
                                      "Merko zná; v Anki ji vyvezte s podporou starších "
                                      "verzí.")
                                .arg(m_package)
                                .arg(schema));
        query.finish();
        // The newest schema keeps note types and decks in tables of their own, older ones as
        // JSON in the collection's row.
        if (hasTable(QStringLiteral("notetypes")))
            readNoteTypes(collection);
        else
            readNoteTypes(collection, columnOfCollection(QStringLiteral("models")));
        if (hasTable(QStringLiteral("decks")))
            readDecks(collection);
        else
            readDecks(collection, columnOfCollection(QStringLiteral("decks")));
        m_archive.tell(unpackedPercent + 5);
        readNotes(collection);
        if (collection.notes.isEmpty())
            throw FileError(Texts::tr("V balíčku %1 nejsou žádné poznámky.").arg(m_package));
        m_archive.tell(unpackedPercent + 20);
        readCards(collection);
        m_archive.tell(unpackedPercent + 30);
        readReviews(collection);
        m_archive.tell(100);
        return collection;
    }

private:
    QSqlQuery select(const QString &statement)
    {
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.setForwardOnly(true);
        if (!query.exec(statement))
            throw damaged(query.lastError().databaseText().isEmpty()
                              ? query.lastError().text()
                              : query.lastError().databaseText());
        return query;
    }

    QByteArray columnOfCollection(const QString &column)
    {
        QSqlQuery query = select(QStringLiteral("SELECT %1 FROM col").arg(column));
        return query.next() ? query.value(0).toByteArray() : QByteArray();
    }

    bool hasTable(const QString &name)
    {
        QSqlQuery query = select(
            QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '%1'")
                .arg(name));
        return query.next();
    }

    void readNoteTypes(AnkiCollection &collection)
    {
        QHash<qint64, qsizetype> at;
        QSqlQuery query = select(QStringLiteral("SELECT id, name, config FROM notetypes"));
        while (query.next()) {
            AnkiNoteType type;
            type.id = query.value(0).toLongLong();
            type.name = query.value(1).toString();
            // The configuration's first field is the kind: 1 for texts with gaps.
            type.cloze = protobufVarint(query.value(2).toByteArray(), 1).value_or(0) == 1;
            at.insert(type.id, collection.noteTypes.size());
            collection.noteTypes.append(type);
        }
        query = select(QStringLiteral("SELECT ntid, name FROM fields ORDER BY ntid, ord"));
        while (query.next()) {
            const auto found = at.constFind(query.value(0).toLongLong());
            if (found != at.cend())
                collection.noteTypes[*found].fields.append(query.value(1).toString());
        }
    }

    void readNoteTypes(AnkiCollection &collection, const QByteArray &json)
    {
        const QJsonObject models = QJsonDocument::fromJson(json).object();
        for (auto model = models.begin(); model != models.end(); ++model) {
            const QJsonObject object = model.value().toObject();
            AnkiNoteType type;
            type.id = model.key().toLongLong();
            type.name = object.value(QStringLiteral("name")).toString();
            type.cloze = object.value(QStringLiteral("type")).toInt() == 1;
            QList<std::pair<int, QString>> fields;
            for (const QJsonValue field : object.value(QStringLiteral("flds")).toArray()) {
                const QJsonObject f = field.toObject();
                fields.append({f.value(QStringLiteral("ord")).toInt(),
                               f.value(QStringLiteral("name")).toString()});
            }
            std::stable_sort(fields.begin(), fields.end(),
                             [](const auto &x, const auto &y) { return x.first < y.first; });
            for (const auto &field : fields)
                type.fields.append(field.second);
            collection.noteTypes.append(type);
        }
    }

    void readDecks(AnkiCollection &collection)
    {
        QSqlQuery query = select(QStringLiteral("SELECT id, name FROM decks"));
        while (query.next())
            collection.decks.insert(
                query.value(0).toLongLong(),
                query.value(1).toString().replace(QChar(0x1f), QStringLiteral("::")));
    }

    void readDecks(AnkiCollection &collection, const QByteArray &json)
    {
        const QJsonObject decks = QJsonDocument::fromJson(json).object();
        for (auto deck = decks.begin(); deck != decks.end(); ++deck)
            collection.decks.insert(
                deck.key().toLongLong(),
                deck.value().toObject().value(QStringLiteral("name")).toString());
    }

    void readNotes(AnkiCollection &collection)
    {
        QSqlQuery query = select(QStringLiteral("SELECT id, mid, flds FROM notes ORDER BY id"));
        while (query.next()) {
            collection.notes.append({query.value(0).toLongLong(), query.value(1).toLongLong(),
                                     query.value(2).toString().split(QChar(0x1f))});
            pace(collection.notes.size());
        }
    }

    void readCards(AnkiCollection &collection)
    {
        QSqlQuery query = select(QStringLiteral("SELECT id, nid, ord, did, odid FROM cards"));
        while (query.next()) {
            const qint64 home = query.value(4).toLongLong();
            collection.cards.append({query.value(0).toLongLong(), query.value(1).toLongLong(),
                                     query.value(2).toInt(),
                                     home != 0 ? home : query.value(3).toLongLong()});
            pace(collection.cards.size());
        }
    }

    void readReviews(AnkiCollection &collection)
    {
        QSqlQuery query = select(
            QStringLiteral("SELECT id, cid, ease, type, factor, time FROM revlog ORDER BY id"));
        while (query.next()) {
            collection.reviews.append({query.value(0).toLongLong(), query.value(1).toLongLong(),
                                       query.value(2).toInt(), query.value(3).toInt(),
                                       query.value(4).toInt(), query.value(5).toLongLong()});
            pace(collection.reviews.size());
        }
    }

    // Between many rows: whether to stop.
    void pace(qsizetype rows) const
    {
        if (rows % rowsBetweenProgress == 0)
            m_archive.tell(-1);
    }

    FileError damaged(const QString &reason) const { return DamagedPackage(m_package, reason); }

    QString m_package;
    const Archive &m_archive;
    QString m_connection;
};

} // namespace

std::optional<AnkiCollection> ReadAnkiPackage(const QString &path,
                                              const std::function<bool(int)> &progress,
                                              const AnkiPackageLimits &limits)
{
    // A negative percentage only asks whether to go on.
    int lastPercent = 0;
    const std::function<bool(int)> told = [&](int percent) {
        if (percent >= 0)
            lastPercent = percent;
        return !progress || progress(lastPercent);
    };
    try {
        Archive archive(path, limits, told);
        const QStringList names = archive.names();
        if (names.contains(QStringLiteral("meta"))) {
            QByteArray meta;
            archive.read(QStringLiteral("meta"),
                         [&](const char *data, qint64 size) { meta.append(data, size); });
            const quint64 version = protobufVarint(meta, 1).value_or(0);
            if (version > newestPackageVersion)
                throw FileError(Texts::tr("Balíček %1 má verzi %2, novější, než jakou Merko "
                                          "zná; v Anki ho vyvezte s podporou starších verzí.")
                                    .arg(displayName(path))
                                    .arg(version));
        }
        static const char *const forms[]
            = {"collection.anki21b", "collection.anki21", "collection.anki2"};
        QString member;
        for (const char *form : forms) {
            if (names.contains(QLatin1String(form))) {
                member = QLatin1String(form);
                break;
            }
        }
        if (member.isEmpty())
            throw FileError(
                Texts::tr("Soubor %1 není balíček Anki: chybí v něm sbírka (collection.anki2).")
                    .arg(displayName(path)));
        QTemporaryDir folder;
        if (!folder.isValid())
            throw FileError(
                Texts::tr("Dočasnou složku nelze založit: %1").arg(folder.errorString()));
        const QString database = folder.filePath(QStringLiteral("collection.sqlite"));
        unpackCollection(archive, member, member.endsWith(QLatin1Char('b')), database);
        told(unpackedPercent);
        return CollectionReader(path, database, archive).read();
    } catch (const Stopped &) {
        return std::nullopt;
    }
}

bool IsAnkiPackageFile(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("apkg") || suffix == QLatin1String("colpkg");
}
