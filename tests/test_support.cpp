#include "test_support.h"

#include "core/file_error.h"
#include "core/text_file.h"
#include "sync/answer_log.h"

#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include <cstdio>
#include <stdexcept>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

void SetWrittenBefore(const QString &path, int seconds)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)
        || !file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                             QFileDevice::FileModificationTime))
        throw std::runtime_error("cannot set the time of " + path.toStdString());
}

void PutInFolder(const QString &folder, const QString &name, const QByteArray &bytes)
{
    WriteBytes(folder + QLatin1Char('/') + name, bytes);
}

QByteArray Cp1250(const char *utf8)
{
    return EncodeCp1250(QString::fromUtf8(utf8));
}

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

RecordSet Records(const char *text)
{
    const std::optional<RecordSet> records = DecodedRecordSet(QByteArrayView(text));
    if (!records)
        throw std::invalid_argument(text);
    return *records;
}

void PrintTo(const NumberRanges &ranges, std::ostream *out)
{
    *out << '"' << ranges.encoded().toStdString() << '"';
}

int InChild(const std::function<int()> &body)
{
    const pid_t child = fork();
    if (child == 0) {
        int code = 99;
        try {
            code = body();
        } catch (const FileError &error) {
            std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        } catch (...) {
        }
        _exit(code);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

namespace {

bool ownMountNamespace()
{
    return unshare(CLONE_NEWNS) == 0
           && mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

} // namespace

bool MountTinyDisk(const QString &folder, const char *size)
{
    const QByteArray options = QByteArray("size=") + size;
    return ownMountNamespace()
           && mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData())
                  == 0;
}

bool MountReadOnly(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    return ownMountNamespace()
           && mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0
           && mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr)
                  == 0;
}

QStringList queryRows(QSqlDatabase db, const QString &statement)
{
    QStringList rows;
    QSqlQuery query(db);
    query.exec(statement);
    while (query.next()) {
        QStringList row;
        for (int column = 0; column < query.record().count(); ++column)
            row.append(query.value(column).toString());
        rows.append(row.join(QLatin1Char('|')));
    }
    return rows;
}

void RenameTableUnderViews(const QString &path, const QString &from, const QString &to)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QSqlQuery query(db);
        if (!db.open() || !query.exec(QStringLiteral("PRAGMA legacy_alter_table = ON"))
            || !query.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(from, to)))
            throw std::runtime_error("cannot rename: " + query.lastError().text().toStdString());
    }
    QSqlDatabase::removeDatabase(name);
}

QVariant queryValue(const QString &path, const QString &statement)
{
    const QString name = QUuid::createUuid().toString();
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(statement) && query.next())
                value = query.value(0);
        }
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}
