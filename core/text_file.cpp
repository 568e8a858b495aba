#include "text_file.h"

#include "file_error.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {
constexpr char codePage[] = "windows-1250";
}

QString DecodeCp1250(const QByteArray &bytes)
{
    QStringDecoder decoder(codePage);
    return decoder.decode(bytes);
}

QByteArray EncodeCp1250(const QString &text)
{
    QStringEncoder encoder(codePage);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;

    // Some character has no byte: encode one code point at a time and put '?' for those.
    bytes.clear();
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringEncoder single(codePage);
        const QByteArray piece = single.encode(QStringView(text).mid(i, length));
        bytes += single.hasError() || piece.size() != 1 ? QByteArray(1, '?') : piece;
        i += length;
    }
    return bytes;
}

QByteArray ReadFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(file.errorString());
    if (file.size() > MaxTextFileSize) {
        throw FileError(QStringLiteral("Soubor %1 je příliš velký (%2 MB). Program čte soubory "
                                       "nejvýše do %3 MB; soubor zůstal beze změny.")
                            .arg(path)
                            .arg(file.size() / (1024 * 1024))
                            .arg(MaxTextFileSize / (1024 * 1024)));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(file.errorString());
    return bytes;
}

QStringList TextLines(QByteArray bytes)
{
    const qsizetype end = bytes.indexOf('\x1a');
    if (end >= 0)
        bytes.truncate(end);
    return SplitLines(DecodeCp1250(bytes));
}

QStringList ReadTextFileLines(const QString &path)
{
    return TextLines(ReadFileBytes(path));
}

QStringList SplitLines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

QByteArray JoinLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return EncodeCp1250(text);
}

void WriteFileSafely(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(file.errorString());
    // QSaveFile notices a failed write only while writing, not while its buffer is flushed
    // on commit, so the flush is checked here; otherwise a cut file could replace the old one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString message = file.errorString();
        file.cancelWriting();
        throw FileError(message);
    }
    if (!file.commit())
        throw FileError(file.errorString());
}
