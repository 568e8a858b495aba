#include "sqlite_statement.h"

#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

namespace {

sqlite3 *connectionOf(QSqlDatabase db)
{
    const QVariant handle = db.isOpen() && db.driver() ? db.driver()->handle() : QVariant();
    return handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
               ? *static_cast<sqlite3 *const *>(handle.data())
               : nullptr;
}

} // namespace

namespace {

int compareUnicase(void *, int length1, const void *text1, int length2, const void *text2)
{
    const QString one = QString::fromUtf8(static_cast<const char *>(text1), length1);
    const QString other = QString::fromUtf8(static_cast<const char *>(text2), length2);
    const int order = QString::compare(one, other, Qt::CaseInsensitive);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

} // namespace

bool AddUnicaseCollation(QSqlDatabase db)
{
    sqlite3 *connection = connectionOf(db);
    return connection
           && sqlite3_create_collation_v2(connection, "unicase", SQLITE_UTF8, nullptr,
                                          compareUnicase, nullptr)
                  == SQLITE_OK;
}

int SqlitePrimaryErrorCode(QSqlDatabase db)
{
    sqlite3 *connection = connectionOf(db);
    return connection ? sqlite3_errcode(connection) & 0xff : 0;
}

SqliteStatement::SqliteStatement(QSqlDatabase db, const QString &statement)
{
    sqlite3 *connection = connectionOf(db);
    if (!connection) {
        m_error = QStringLiteral("the database is not an open SQLite database");
        return;
    }
    m_connection = connection;
    if (sqlite3_prepare16_v2(connection, statement.utf16(), int(statement.size() * 2), &m_statement,
                             nullptr)
        != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(connection));
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

void SqliteStatement::bind(int parameter, qint64 value)
{
    sqlite3_bind_int64(m_statement, parameter, value);
}

void SqliteStatement::bind(int parameter, double value)
{
    sqlite3_bind_double(m_statement, parameter, value);
}

void SqliteStatement::bind(int parameter, const QString &text)
{
    // An empty text is '' as everywhere in the history, never NULL.
    static const char16_t empty = 0;
    const void *data = text.isEmpty() ? &empty : static_cast<const void *>(text.utf16());
    sqlite3_bind_text16(m_statement, parameter, data, int(text.size() * 2), SQLITE_TRANSIENT);
}

void SqliteStatement::bindUtf8(int parameter, const QByteArray &utf8)
{
    // Never NULL, as bind() for a text; a QByteArray's data is never a null pointer.
    sqlite3_bind_text(m_statement, parameter, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
}

void SqliteStatement::bindNull(int parameter)
{
    sqlite3_bind_null(m_statement, parameter);
}

bool SqliteStatement::nextRow()
{
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW)
        return true;
    if (result != SQLITE_DONE)
        m_error = QString::fromUtf8(sqlite3_errmsg(static_cast<sqlite3 *>(m_connection)));
    return false;
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QByteArrayView SqliteStatement::utf8(int column) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return text ? QByteArrayView(text, sqlite3_column_bytes(m_statement, column))
                : QByteArrayView();
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

double SqliteStatement::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

bool SqliteStatement::run()
{
    const int result = sqlite3_step(m_statement);
    sqlite3_reset(m_statement);
    if (result == SQLITE_DONE || result == SQLITE_ROW)
        return true;
    m_error = QString::fromUtf8(sqlite3_errmsg(static_cast<sqlite3 *>(m_connection)));
    return false;
}
