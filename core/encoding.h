#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The program's text files (dictionaries, settings, reports) are windows-1250 on disk, as they
// always were, or UTF-8 when they hold what windows-1250 cannot.
enum class TextEncoding { Windows1250, Utf8, Utf8WithBom };

// The encoding of a file's bytes: UTF-8 when they begin with its byte order mark, or when they
// are valid UTF-8 and hold at least one character of several bytes; windows-1250 otherwise,
// which takes every byte.
TextEncoding DetectEncoding(const QByteArray &bytes);
// The text of the bytes in that encoding, without a byte order mark.
QString DecodeText(const QByteArray &bytes, TextEncoding encoding);
// The text of the bytes in the encoding they are detected in.
QString DecodeDetectedText(const QByteArray &bytes);
// The bytes of the text in the encoding, in one pass. A text that windows-1250 cannot hold, or
// whose windows-1250 bytes would be read as UTF-8, is written in UTF-8 with a byte order mark
// instead, and `encoding` says so afterwards.
QByteArray EncodeText(const QString &text, TextEncoding &encoding);

// The first `count` characters of a text: a character outside the basic plane (two UTF-16
// units) counts as one and is never cut in half.
QStringView LeftCharacters(QStringView text, qsizetype count);
// The number of characters, counted as LeftCharacters counts them.
qsizetype CharacterCount(QStringView text);

QString DecodeCp1250(const QByteArray &bytes);
// Only for texts known to fit: a character without a byte makes the result empty.
QByteArray EncodeCp1250(const QString &text);
