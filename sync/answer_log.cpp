#include "answer_log.h"

#include "core/text_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUuid>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <optional>
#include <thread>
#include <vector>

namespace {

const QByteArray headerStart = QByteArrayLiteral("MERKO-ODPOVEDI ");
constexpr char answerKind = 'A';
constexpr int answerFields = 13; // kind, seq, ten values, check
constexpr char settingKind = 'S';
constexpr char enteringKind = 'E'; // a setting as the dictionary came into the folder
constexpr int settingFields = 14;  // kind, seq, eleven values, check
constexpr int checkLength = 8;
// A log is read in pieces of this size; a line longer than a piece is no record.
constexpr qint64 pieceBytes = 4 * 1024 * 1024;

QByteArray escaped(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains('\\') && !bytes.contains('\t') && !bytes.contains('\n')
        && !bytes.contains('\r'))
        return bytes;
    QByteArray out;
    out.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::optional<QString> unescaped(QByteArrayView field)
{
    if (!field.contains('\\'))
        return QString::fromUtf8(field);
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i == field.size())
            return std::nullopt;
        switch (field[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return QString::fromUtf8(out);
}

QByteArray checkOf(QByteArrayView line)
{
    return QCryptographicHash::hash(line, QCryptographicHash::Sha1).toHex().left(checkLength);
}

std::optional<qint64> number(QByteArrayView field)
{
    bool ok = false;
    const qint64 value = field.toLongLong(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

enum class LineKind { Answer, Setting, Unknown, Damaged };

struct Record
{
    LoggedAnswer answer;
    LoggedSetting setting;
};

// The fields of a line, its check included; more than `most` are not taken apart.
QList<QByteArrayView> fieldsOf(QByteArrayView line, qsizetype most)
{
    QList<QByteArrayView> fields;
    for (qsizetype start = 0; start <= line.size() && fields.size() <= most;) {
        qsizetype tab = line.indexOf('\t', start);
        if (tab < 0)
            tab = line.size();
        fields.append(line.sliced(start, tab - start));
        start = tab + 1;
    }
    return fields;
}

LineKind readAnswer(const QList<QByteArrayView> &fields, LoggedAnswer &logged)
{
    if (fields.size() != answerFields)
        return LineKind::Damaged;
    const auto seq = number(fields[1]);
    const auto at = number(fields[2]);
    const auto side = number(fields[3]);
    const auto grade = number(fields[4]);
    const auto duration = number(fields[5]);
    if (!seq || *seq < 1 || !at || !side || (*side != 1 && *side != 2) || !grade || *grade < 1
        || *grade > 4 || !duration)
        return LineKind::Damaged;
    std::array<QString, 6> texts;
    for (int k = 0; k < 6; ++k) {
        const std::optional<QString> text = unescaped(fields[6 + k]);
        if (!text)
            return LineKind::Damaged;
        texts[std::size_t(k)] = *text;
    }
    logged.seq = *seq;
    AnswerRecord &answer = logged.answer;
    answer.atMs = *at;
    answer.card = {{texts[0], texts[1], texts[2], texts[3]}, int(*side)};
    answer.grade = Grade(*grade);
    answer.durationMs = *duration;
    answer.typed = texts[4];
    answer.dictionary = texts[5];
    return LineKind::Answer;
}

LineKind readSetting(const QList<QByteArrayView> &fields, LoggedSetting &logged)
{
    if (fields.size() != settingFields)
        return LineKind::Damaged;
    const auto seq = number(fields[1]);
    const auto at = number(fields[2]);
    if (!seq || *seq < 1 || !at)
        return LineKind::Damaged;
    std::array<QString, 5> texts;
    for (int k = 0; k < 5; ++k) {
        const std::optional<QString> text = unescaped(fields[k < 4 ? 3 + k : 11]);
        if (!text)
            return LineKind::Damaged;
        texts[std::size_t(k)] = *text;
    }
    CounterSetting &setting = logged.setting;
    for (int k = 0; k < 4; ++k) {
        const auto counter = number(fields[7 + k]);
        if (!counter || *counter < 0 || *counter > std::numeric_limits<qint32>::max())
            return LineKind::Damaged;
        setting.counters[std::size_t(k)] = qint32(*counter);
    }
    const std::optional<RecordSet> context = DecodedRecordSet(fields[12]);
    if (!context)
        return LineKind::Damaged;
    logged.seq = *seq;
    setting.atMs = *at;
    setting.pair = {texts[0], texts[1], texts[2], texts[3]};
    setting.dictionary = texts[4];
    setting.context = *context;
    return LineKind::Setting;
}

// One line without its end: an answer, a setting, a whole record of another kind, or no record.
LineKind readLine(QByteArrayView line, Record &record)
{
    const qsizetype lastTab = line.lastIndexOf('\t');
    if (lastTab < 0 || line.size() - lastTab - 1 != checkLength
        || checkOf(line.first(lastTab)) != line.sliced(lastTab + 1))
        return LineKind::Damaged;
    const QList<QByteArrayView> fields = fieldsOf(line, settingFields);
    if (fields[0] == QByteArrayView("A"))
        return readAnswer(fields, record.answer);
    if (fields[0] == QByteArrayView("S") || fields[0] == QByteArrayView("E")) {
        record.setting.setting.entering = fields[0] == QByteArrayView("E");
        return readSetting(fields, record.setting);
    }
    return LineKind::Unknown;
}

// Whether a header line is one of a log this version reads.
void readHeader(QByteArrayView line, AnswerLogPart &part)
{
    if (!line.startsWith(headerStart)) {
        part.notALog = true;
        return;
    }
    const QByteArrayView rest = line.sliced(headerStart.size());
    const qsizetype blank = rest.indexOf(' ');
    const auto version = number(blank < 0 ? rest : rest.first(blank));
    if (!version)
        part.notALog = true;
    else if (*version > AnswerLogVersion)
        part.laterFormat = true;
}

// The whole lines of the bytes, up to the one that brings the answers to `maxAnswers`; the
// first is the header when `fromStart`. The offsets are those within the bytes.
AnswerLogPart readLines(QByteArrayView bytes, bool fromStart, qint64 afterSeq,
                        qsizetype maxAnswers = std::numeric_limits<qsizetype>::max())
{
    AnswerLogPart part;
    part.lastSeq = afterSeq;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            break; // cut short: read again once it is whole
        const QByteArrayView line = bytes.sliced(at, end - at);
        if (at == 0 && fromStart) {
            readHeader(line, part);
            if (part.notALog || part.laterFormat)
                return part;
        } else {
            Record record;
            switch (readLine(line, record)) {
            case LineKind::Answer:
                if (record.answer.seq > part.lastSeq) {
                    part.lastSeq = record.answer.seq;
                    part.answers.append(std::move(record.answer));
                }
                break;
            case LineKind::Setting:
                if (record.setting.seq > part.lastSeq) {
                    part.lastSeq = record.setting.seq;
                    part.settings.append(std::move(record.setting));
                }
                break;
            case LineKind::Damaged:
                ++part.damaged;
                break;
            case LineKind::Unknown:
                break;
            }
        }
        at = end + 1;
        part.endOffset = at;
        if (part.answers.size() >= maxAnswers) {
            part.more = true;
            break;
        }
    }
    return part;
}

} // namespace

bool operator==(const LoggedAnswer &a, const LoggedAnswer &b)
{
    const AnswerRecord &x = a.answer;
    const AnswerRecord &y = b.answer;
    return a.seq == b.seq && x.atMs == y.atMs && x.card == y.card && x.grade == y.grade
           && x.typed == y.typed && x.durationMs == y.durationMs && x.dictionary == y.dictionary;
}

QByteArray AnswerLogHeader(const QString &computer)
{
    return headerStart + QByteArray::number(AnswerLogVersion) + ' ' + computer.toUtf8() + '\n';
}

namespace {

QByteArray checked(QByteArray line)
{
    const QByteArray check = checkOf(line);
    line += '\t';
    line += check;
    line += '\n';
    return line;
}

} // namespace

QByteArray EncodeLoggedSetting(const LoggedSetting &logged)
{
    const CounterSetting &setting = logged.setting;
    const PairText &pair = setting.pair;
    QByteArray line;
    line.reserve(128);
    line += setting.entering ? enteringKind : settingKind;
    for (const qint64 value : {logged.seq, setting.atMs}) {
        line += '\t';
        line += QByteArray::number(value);
    }
    for (const QString *text : {&pair.side1, &pair.comment1, &pair.side2, &pair.comment2}) {
        line += '\t';
        line += escaped(*text);
    }
    for (const qint32 counter : setting.counters) {
        line += '\t';
        line += QByteArray::number(counter);
    }
    line += '\t';
    line += escaped(setting.dictionary);
    line += '\t';
    line += EncodedRecordSet(setting.context);
    return checked(line);
}

QByteArray EncodeLoggedAnswer(const LoggedAnswer &logged)
{
    const AnswerRecord &answer = logged.answer;
    const PairText &pair = answer.card.pair;
    QByteArray line;
    line.reserve(128);
    line += answerKind;
    for (const qint64 value : {logged.seq, answer.atMs, qint64(answer.card.offeredSide),
                               qint64(answer.grade), answer.durationMs}) {
        line += '\t';
        line += QByteArray::number(value);
    }
    for (const QString *text : {&pair.side1, &pair.comment1, &pair.side2, &pair.comment2,
                                &answer.typed, &answer.dictionary}) {
        line += '\t';
        line += escaped(*text);
    }
    return checked(line);
}

AnswerLogPart ReadAnswerLog(QByteArrayView bytes, qint64 offset, qint64 afterSeq)
{
    AnswerLogPart part
        = readLines(bytes.sliced(std::min(qsizetype(offset), bytes.size())), offset == 0, afterSeq);
    part.endOffset += offset;
    return part;
}

AnswerLogPart ReadAnswerLogFile(const QString &path, qint64 offset, qint64 afterSeq,
                                qsizetype maxAnswers)
{
    AnswerLogPart whole;
    whole.endOffset = offset;
    whole.lastSeq = afterSeq;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return whole;
    if (file.size() < offset)
        whole.endOffset = 0; // replaced by a shorter file: its records are known by number
    while (file.seek(whole.endOffset)) {
        const QByteArray piece = file.read(std::min(pieceBytes, file.size() - whole.endOffset));
        AnswerLogPart part = readLines(piece, whole.endOffset == 0, whole.lastSeq,
                                       maxAnswers - whole.answers.size());
        whole.answers += std::move(part.answers);
        whole.settings += std::move(part.settings);
        whole.damaged += part.damaged;
        whole.lastSeq = part.lastSeq;
        whole.laterFormat = part.laterFormat;
        whole.notALog = part.notALog;
        if (part.laterFormat || part.notALog)
            break;
        whole.endOffset += part.endOffset;
        whole.more = part.more && whole.endOffset < file.size();
        if (part.more || piece.size() < pieceBytes)
            break; // as many answers as asked for, or the end of the file
        if (part.endOffset == 0) {
            // No line ends in a whole piece: a line this long is no record. It is skipped
            // once it has ended.
            qint64 skipped = whole.endOffset + piece.size();
            QByteArray rest;
            while (!(rest = file.read(pieceBytes)).isEmpty()) {
                const qsizetype lineEnd = rest.indexOf('\n');
                if (lineEnd >= 0) {
                    skipped += lineEnd + 1;
                    break;
                }
                skipped += rest.size();
            }
            if (rest.isEmpty())
                break;
            ++whole.damaged;
            whole.endOffset = skipped;
        }
    }
    return whole;
}

AnswerLogWriter::AnswerLogWriter(QString path, QString computer)
    : m_path(std::move(path))
    , m_computer(std::move(computer))
{}

QList<AnswerLogPart> ReadAnswerLogFiles(const QList<LogToRead> &logs, qsizetype maxAnswersEach)
{
    QList<AnswerLogPart> parts(logs.size());
    std::atomic<qsizetype> next = 0;
    const auto work = [&] {
        for (qsizetype i = next++; i < logs.size(); i = next++)
            parts[i]
                = ReadAnswerLogFile(logs[i].path, logs[i].offset, logs[i].afterSeq, maxAnswersEach);
    };
    const qsizetype helpers
        = std::min<qsizetype>(logs.size(), std::max(1u, std::thread::hardware_concurrency())) - 1;
    std::vector<std::jthread> threads;
    for (qsizetype i = 0; i < helpers; ++i)
        threads.emplace_back(work);
    work();
    return parts;
}

qint64 AnswerLogWriter::lastSeq() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // The records are numbered in order: the last whole one near the end has the highest.
    constexpr qint64 tailBytes = 64 * 1024;
    const qint64 from = std::max<qint64>(0, file.size() - tailBytes);
    file.seek(from);
    const QByteArray tail = file.read(tailBytes);
    // The first line of a tail is a part of a line, unless the tail is the whole file.
    const qsizetype firstEnd = from > 0 ? tail.indexOf('\n') : -1;
    const qint64 lastSeq
        = readLines(QByteArrayView(tail).sliced(firstEnd + 1), from == 0, 0).lastSeq;
    // A tail of damaged lines only: the whole file is read.
    return lastSeq > 0 || from == 0 ? lastSeq : ReadAnswerLogFile(m_path, 0, 0).lastSeq;
}

bool AnswerLogWriter::append(const QList<LoggedAnswer> &answers,
                             const QList<LoggedSetting> &settings, QString *reason)
{
    QByteArray records;
    auto answer = answers.cbegin();
    auto setting = settings.cbegin();
    while (answer != answers.cend() || setting != settings.cend()) {
        if (setting == settings.cend() || (answer != answers.cend() && answer->seq < setting->seq))
            records += EncodeLoggedAnswer(*answer++);
        else
            records += EncodeLoggedSetting(*setting++);
    }
    return appendRecords(records, reason);
}

bool AnswerLogWriter::appendRecords(const QByteArray &records, QString *reason)
{
    if (records.isEmpty())
        return true;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        *reason = FileErrorReason(errno, file.errorString());
        return false;
    }
    QByteArray bytes;
    if (file.size() == 0) {
        bytes = AnswerLogHeader(m_computer);
    } else {
        // A record cut short stays a damaged line of its own.
        file.seek(file.size() - 1);
        char last = '\n';
        file.getChar(&last);
        if (last != '\n')
            bytes += '\n';
    }
    bytes += records;
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        *reason = FileErrorReason(errno, file.errorString());
        // What was written of it is a record cut short, taken for damaged by every reader.
        return false;
    }
    return true;
}

QString ComputerId(const QString &dataFolder, QString *reason)
{
    static const QRegularExpression valid(QStringLiteral("^[0-9a-f]{16}$"));
    const QString path = QDir(dataFolder).filePath(QStringLiteral("computer-id"));
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QString id = QString::fromLatin1(file.read(64)).trimmed();
        if (valid.match(id).hasMatch())
            return id;
    }
    const QString id = QUuid::createUuid().toString(QUuid::Id128).left(16);
    QDir().mkpath(dataFolder);
    QSaveFile save(path);
    if (!save.open(QIODevice::WriteOnly) || save.write(id.toLatin1() + '\n') < 0
        || !save.commit()) {
        *reason = FileErrorReason(errno, save.errorString());
        return QString();
    }
    return id;
}
