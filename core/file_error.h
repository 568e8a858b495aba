#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <optional>

// A file that could not be opened, read or written. It carries the text the user is
// shown; the general error handler at the edge of each user command displays it.
class FileError : public std::exception
{
public:
    // `details`: what only a technical reader needs (a library's own report), shown on demand.
    explicit FileError(QString message, QString details = QString())
        : m_message(std::move(message))
        , m_details(std::move(details))
        , m_what(m_message.toUtf8())
    {}

    const QString &message() const { return m_message; }
    const QString &details() const { return m_details; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QString m_details;
    QByteArray m_what;
};

// Runs `work` and gives the file error it raised, or none. For the few callers that go on after
// a failed file (a fallback, a reason kept for the user, a file gone that another writer
// replaced); a command that fails simply lets the error reach the general error handler. This
// and that handler are the places a FileError is caught.
inline std::optional<FileError> FileFailureOf(const std::function<void()> &work)
{
    try {
        work();
        return std::nullopt;
    } catch (const FileError &error) {
        return error;
    }
}
