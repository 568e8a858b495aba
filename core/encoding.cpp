#include "encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr char codePage[] = "windows-1250";
const QByteArray byteOrderMark("\xEF\xBB\xBF");

bool validUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

TextEncoding DetectEncoding(const QByteArray &bytes)
{
    // Bytes that are not UTF-8 after all are read as windows-1250, which keeps every one.
    if (bytes.startsWith(byteOrderMark))
        return validUtf8(QByteArrayView(bytes).sliced(3)) ? TextEncoding::Utf8WithBom
                                                          : TextEncoding::Windows1250;
    bool multiByte = false;
    for (const char c : bytes) {
        if (uchar(c) >= 0x80) {
            multiByte = true;
            break;
        }
    }
    return multiByte && validUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1250;
}

QString DecodeText(const QByteArray &bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Windows1250)
        return DecodeCp1250(bytes);
    // The file's own mark is taken off here, once; a U+FEFF after it is text and stays.
    const bool marked = encoding == TextEncoding::Utf8WithBom && bytes.startsWith(byteOrderMark);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom
                                                     | QStringConverter::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes).sliced(marked ? 3 : 0));
}

QString DecodeDetectedText(const QByteArray &bytes)
{
    return DecodeText(bytes, DetectEncoding(bytes));
}

QByteArray EncodeText(const QString &text, TextEncoding &encoding)
{
    if (encoding == TextEncoding::Windows1250) {
        QStringEncoder encoder(codePage);
        QByteArray bytes = encoder.encode(text);
        // Bytes that would be read as UTF-8 next time (windows-1250 text that happens to be
        // valid UTF-8) are not written either: that text would come back changed.
        if (!encoder.hasError() && DetectEncoding(bytes) == TextEncoding::Windows1250)
            return bytes;
        // Nothing is replaced by '?': the file becomes UTF-8, marked as such.
        encoding = TextEncoding::Utf8WithBom;
    }
    const QByteArray utf8 = text.toUtf8();
    // A text that begins with the byte order mark's character would lose it to the reader,
    // which takes it for the mark: a mark of its own goes in front.
    if (encoding == TextEncoding::Utf8 && utf8.startsWith(byteOrderMark))
        encoding = TextEncoding::Utf8WithBom;
    return encoding == TextEncoding::Utf8WithBom ? byteOrderMark + utf8 : utf8;
}

QStringView LeftCharacters(QStringView text, qsizetype count)
{
    qsizetype units = 0;
    for (qsizetype characters = 0; characters < count && units < text.size(); ++characters) {
        const bool pair = text.at(units).isHighSurrogate() && units + 1 < text.size()
                          && text.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return text.left(units);
}

qsizetype CharacterCount(QStringView text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()))
            ++count;
    }
    return count;
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
    return encoder.hasError() ? QByteArray() : bytes;
}
