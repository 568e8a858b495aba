#include "anki_package_maker.h"

#include "history/sqlite_statement.h"

#include <QFile>
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
#include <quazip/quazipnewinfo.h>
#include <zstd.h>

#include <stdexcept>

namespace {

const char *const schema11[] = {
    "CREATE TABLE col (id integer primary key, crt integer not null, mod integer not null,"
    " scm integer not null, ver integer not null, dty integer not null, usn integer not null,"
    " ls integer not null, conf text not null, models text not null, decks text not null,"
    " dconf text not null, tags text not null)",
    "CREATE TABLE notes (id integer primary key, guid text not null, mid integer not null,"
    " mod integer not null, usn integer not null, tags text not null, flds text not null,"
    " sfld integer not null, csum integer not null, flags integer not null, data text not null)",
    "CREATE TABLE cards (id integer primary key, nid integer not null, did integer not null,"
    " ord integer not null, mod integer not null, usn integer not null, type integer not null,"
    " queue integer not null, due integer not null, ivl integer not null, factor integer not null,"
    " reps integer not null, lapses integer not null, left integer not null, odue integer not null,"
    " odid integer not null, flags integer not null, data text not null)",
    "CREATE TABLE revlog (id integer primary key, cid integer not null, usn integer not null,"
    " ease integer not null, ivl integer not null, lastIvl integer not null,"
    " factor integer not null, time integer not null, type integer not null)",
};

// As a current Anki writes them: the names in its own collation, "unicase", with indexes on
// them, so that even a check of the file needs the collation.
const char *const schema18[] = {
    "CREATE TABLE notetypes (id integer not null primary key, name text not null"
    " COLLATE unicase, mtime_secs integer not null, usn integer not null, config blob not null)",
    "CREATE UNIQUE INDEX idx_notetypes_name ON notetypes (name)",
    "CREATE TABLE fields (ntid integer not null, ord integer not null, name text not null"
    " COLLATE unicase, config blob not null, PRIMARY KEY (ntid, ord)) without rowid",
    "CREATE UNIQUE INDEX idx_fields_name_ntid ON fields (name, ntid)",
    "CREATE TABLE templates (ntid integer not null, ord integer not null, name text not null"
    " COLLATE unicase, mtime_secs integer not null, usn integer not null, config blob not null,"
    " PRIMARY KEY (ntid, ord)) without rowid",
    "CREATE UNIQUE INDEX idx_templates_name_ntid ON templates (name, ntid)",
    "CREATE TABLE decks (id integer primary key not null, name text not null COLLATE unicase,"
    " mtime_secs integer not null, usn integer not null, common blob not null,"
    " kind blob not null)",
    "CREATE UNIQUE INDEX idx_decks_name ON decks (name)",
    "CREATE TABLE deck_config (id integer primary key not null, name text not null"
    " COLLATE unicase, mtime_secs integer not null, usn integer not null, config blob not null)",
    "CREATE TABLE tags (tag text not null primary key COLLATE unicase, usn integer not null,"
    " collapsed boolean not null, config blob null) without rowid",
    "INSERT INTO tags VALUES ('Slovíčka', 0, 0, NULL), ('řeč', 0, 0, NULL), ('ŽIVOT', 0, 0, NULL)",
};

void run(QSqlQuery &query, const QString &statement)
{
    if (!query.exec(statement))
        throw std::runtime_error(query.lastError().text().toStdString());
}

void execPrepared(QSqlQuery &query)
{
    if (!query.exec())
        throw std::runtime_error(query.lastError().text().toStdString());
}

// The older forms keep the note types and decks as JSON in the collection's row.
QString legacyModels(const MadeCollection &collection)
{
    QJsonObject models;
    for (const MadeNoteType &type : collection.types) {
        QJsonArray fields;
        for (int index = 0; index < type.fields.size(); ++index)
            fields.append(QJsonObject{{QStringLiteral("name"), type.fields.at(index)},
                                      {QStringLiteral("ord"), index}});
        models.insert(QString::number(type.id),
                      QJsonObject{{QStringLiteral("id"), type.id},
                                  {QStringLiteral("name"), type.name},
                                  {QStringLiteral("type"), type.cloze ? 1 : 0},
                                  {QStringLiteral("flds"), fields}});
    }
    return QString::fromUtf8(QJsonDocument(models).toJson());
}

QString legacyDecks(const MadeCollection &collection)
{
    QJsonObject decks;
    for (const auto &[id, name] : collection.decks)
        decks.insert(QString::number(id),
                     QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("name"), name}});
    return QString::fromUtf8(QJsonDocument(decks).toJson());
}

// The newest form keeps them in tables of their own.
void fillTypesAndDecks(QSqlQuery &query, const MadeCollection &collection)
{
    for (const MadeNoteType &type : collection.types) {
        query.prepare(QStringLiteral("INSERT INTO notetypes VALUES (?, ?, 0, 0, ?)"));
        query.addBindValue(type.id);
        query.addBindValue(type.name);
        // The configuration message: field 1, the kind, 1 for texts with gaps; then a
        // length-delimited field, as the real configuration has many.
        QByteArray config = type.cloze ? QByteArray("\x08\x01", 2) : QByteArray();
        config += QByteArray("\x2a\x03"
                             "abc",
                             5);
        query.addBindValue(config);
        execPrepared(query);
        for (int index = 0; index < type.fields.size(); ++index) {
            query.prepare(QStringLiteral("INSERT INTO fields VALUES (?, ?, ?, x'')"));
            query.addBindValue(type.id);
            query.addBindValue(index);
            query.addBindValue(type.fields.at(index));
            execPrepared(query);
        }
    }
    for (const auto &[id, name] : collection.decks) {
        query.prepare(QStringLiteral("INSERT INTO decks VALUES (?, ?, 0, 0, x'', x'')"));
        query.addBindValue(id);
        query.addBindValue(QString(name).replace(QStringLiteral("::"), QChar(0x1f)));
        execPrepared(query);
    }
}

void fillNotesAndReviews(QSqlDatabase db, const MadeCollection &collection)
{
    QSqlQuery notes(db);
    notes.prepare(QStringLiteral("INSERT INTO notes VALUES (?, ?, ?, 0, 0, '', ?, '', 0, 0, '')"));
    QSqlQuery cards(db);
    cards.prepare(QStringLiteral("INSERT INTO cards VALUES (?, ?, ?, ?, 0, 0, 2, 2, 0, 1, 2500,"
                                 " 1, 0, 0, 0, 0, 0, '')"));
    for (const MadeNote &note : collection.notes) {
        notes.addBindValue(note.id);
        notes.addBindValue(QString::number(note.id));
        notes.addBindValue(note.typeId);
        notes.addBindValue(note.fields.join(QChar(0x1f)));
        execPrepared(notes);
        for (int template_ = 0; template_ < note.cards; ++template_) {
            cards.addBindValue(note.id * 10 + template_);
            cards.addBindValue(note.id);
            cards.addBindValue(note.deckId);
            cards.addBindValue(template_);
            execPrepared(cards);
        }
    }
    QSqlQuery reviews(db);
    reviews.prepare(QStringLiteral("INSERT INTO revlog VALUES (?, ?, 0, ?, 1, 0, ?, ?, ?)"));
    for (const MadeReview &review : collection.reviews) {
        reviews.addBindValue(review.atMs);
        reviews.addBindValue(review.cardId);
        reviews.addBindValue(review.ease);
        reviews.addBindValue(review.factor);
        reviews.addBindValue(review.durationMs);
        reviews.addBindValue(review.type);
        execPrepared(reviews);
    }
}

void fill(QSqlDatabase db, const MadeCollection &collection, AnkiForm form)
{
    QSqlQuery query(db);
    const bool newest = form == AnkiForm::Anki21b;
    if (newest && !AddUnicaseCollation(db))
        throw std::runtime_error("no collation");
    for (const char *statement : schema11)
        run(query, QString::fromLatin1(statement));
    if (newest) {
        for (const char *statement : schema18)
            run(query, QString::fromLatin1(statement));
    }
    db.transaction();
    query.prepare(QStringLiteral("INSERT INTO col VALUES (1, 0, 0, 0, ?, 0, 0, 0, '{}', ?, ?,"
                                 " '{}', '{}')"));
    query.addBindValue(collection.schema != 0 ? collection.schema : newest ? 18 : 11);
    query.addBindValue(newest ? QStringLiteral("") : legacyModels(collection));
    query.addBindValue(newest ? QStringLiteral("") : legacyDecks(collection));
    execPrepared(query);
    if (newest)
        fillTypesAndDecks(query, collection);
    fillNotesAndReviews(db, collection);
    db.commit();
}

} // namespace

MadeCollection SmallCollection(int notes)
{
    MadeCollection collection;
    collection.types
        = {{1000, QStringLiteral("Basic"), {QStringLiteral("Front"), QStringLiteral("Back")}}};
    collection.decks = {{1, QStringLiteral("Default")}, {2, QStringLiteral("Jazyky::Němčina")}};
    for (int index = 0; index < notes; ++index)
        collection.notes.append(
            {1600000000000 + index,
             1000,
             {QStringLiteral("slovo %1").arg(index + 1), QStringLiteral("Wort %1").arg(index + 1)},
             2});
    return collection;
}

QByteArray CollectionDatabase(const MadeCollection &collection, AnkiForm form)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("collection.db"));
    const QString connection = QStringLiteral("made-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open())
            throw std::runtime_error("cannot make a collection");
        fill(db, collection, form);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray ZstdCompressed(const QByteArray &bytes)
{
    QByteArray out(qsizetype(ZSTD_compressBound(size_t(bytes.size()))), Qt::Uninitialized);
    const size_t size
        = ZSTD_compress(out.data(), size_t(out.size()), bytes.constData(), size_t(bytes.size()), 3);
    out.resize(qsizetype(size));
    return out;
}

QList<QPair<QString, QByteArray>> PackageMembers(const MadeCollection &collection, AnkiForm form)
{
    const QByteArray database = CollectionDatabase(collection, form);
    switch (form) {
    case AnkiForm::Anki2:
        return {{QStringLiteral("collection.anki2"), database},
                {QStringLiteral("media"), QByteArrayLiteral("{}")}};
    case AnkiForm::Anki21: {
        // The stub an old program would read: one note asking to update.
        MadeCollection stub = SmallCollection(1);
        stub.notes.first().fields
            = {QStringLiteral("Please update"), QStringLiteral("to the latest")};
        return {{QStringLiteral("collection.anki2"), CollectionDatabase(stub, AnkiForm::Anki2)},
                {QStringLiteral("collection.anki21"), database},
                {QStringLiteral("media"), QByteArrayLiteral("{}")}};
    }
    case AnkiForm::Anki21b:
        return {{QStringLiteral("meta"), QByteArray("\x08\x03", 2)},
                {QStringLiteral("collection.anki21b"), ZstdCompressed(database)},
                {QStringLiteral("media"), ZstdCompressed(QByteArray())}};
    }
    return {};
}

void WriteZip(const QString &path, const QList<QPair<QString, QByteArray>> &members)
{
    QuaZip archive(path);
    archive.setUtf8Enabled(true);
    if (!archive.open(QuaZip::mdCreate))
        throw std::runtime_error("cannot make a zip");
    for (const auto &[name, bytes] : members) {
        QuaZipFile member(&archive);
        if (!member.open(QIODevice::WriteOnly, QuaZipNewInfo(name))
            || member.write(bytes) != bytes.size())
            throw std::runtime_error("cannot add a member to a zip");
        member.close();
        if (member.getZipError() != UNZ_OK)
            throw std::runtime_error("cannot add a member to a zip");
    }
    archive.close();
    if (archive.getZipError() != UNZ_OK)
        throw std::runtime_error("cannot write a zip");
}

void WriteAnkiPackage(const QString &path, const MadeCollection &collection, AnkiForm form)
{
    WriteZip(path, PackageMembers(collection, form));
}
