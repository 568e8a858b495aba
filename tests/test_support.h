#pragma once

#include <QByteArray>
#include <QString>

#include <ostream>

// Bytes on disk, for tests that check exactly what a writer produced.
QByteArray ReadBytes(const QString &path);
void WriteBytes(const QString &path, const QByteArray &bytes);
// Windows-1250 bytes of a text written in UTF-8 source.
QByteArray Cp1250(const char *utf8);

// A text written in UTF-8 source.
inline QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

// Lets GoogleTest print QString values in failure messages.
void PrintTo(const QString &text, std::ostream *out);
