#pragma once

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QString>

struct sqlite3_stmt;

// SQLite's primary result code of the connection's last failed call (0 when it is not SQLite).
int SqlitePrimaryErrorCode(QSqlDatabase db);
// Gives the connection the collation "unicase", a comparison of texts without regard to case
// over all of Unicode, which another program's databases may declare for their columns (an
// Anki collection does); false when the connection is not an open SQLite one.
bool AddUnicaseCollation(QSqlDatabase db);

// A statement run many times over SQLite's own interface, on the connection of an open Qt SQL
// database: for writes of many rows, where binding each value through Qt SQL costs more than
// SQLite's work on the row.
class SqliteStatement
{
public:
    SqliteStatement(QSqlDatabase db, const QString &statement);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // Whether it could be prepared; otherwise error() says why.
    bool isValid() const { return m_statement != nullptr; }
    // Parameters count from 1. A text is bound as a text, never NULL.
    void bind(int parameter, qint64 value);
    void bind(int parameter, double value);
    void bind(int parameter, const QString &text);
    // A text as UTF-8 bytes that the caller keeps, unchanged, until the statement has run: no
    // copy and no conversion, for a text bound again and again.
    void bindUtf8(int parameter, const QByteArray &utf8);
    void bindNull(int parameter);
    // Runs it with the bound values; false on failure (error() says why). The values may be
    // bound anew for the next run.
    bool run();
    // Runs it for rows: true while there is one, whose columns (from 0) can be read; false at
    // the end or on failure (error() is then set). reset() before binding anew.
    bool nextRow();
    void reset();
    qint64 integer(int column) const;
    double real(int column) const;
    // A text column's UTF-8 bytes, valid until the next row (empty for NULL).
    QByteArrayView utf8(int column) const;
    bool isNull(int column) const;
    const QString &error() const { return m_error; }

private:
    void *m_connection = nullptr; // sqlite3 *
    sqlite3_stmt *m_statement = nullptr;
    QString m_error;
};
