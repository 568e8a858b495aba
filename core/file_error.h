#pragma once

#include <QString>

#include <exception>

// A file that could not be opened, read or written. It carries the text the user is
// shown; the general error handler at the edge of each user command displays it.
class FileError : public std::exception
{
public:
    explicit FileError(QString message)
        : m_message(std::move(message))
        , m_what(m_message.toUtf8())
    {}

    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QByteArray m_what;
};
