#include "sync/answer_log.h"
#include "test_support.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

LoggedAnswer logged(qint64 seq, const char *side2, Grade grade = Grade::Good)
{
    AnswerRecord answer{1'800'000'000'000 + seq * 1000,
                        {{U("pes"), QString(), U(side2), U("{ten}")}, 1},
                        grade,
                        U(side2),
                        1500,
                        U("němčina/lekce 1.slv")};
    return {seq, answer};
}

QList<LoggedAnswer> threeAnswers()
{
    // Texts with what the format must escape, and a character outside the basic plane.
    return {logged(1, "der Hund"), logged(2, "a\tb\\n\nc\r🐶", Grade::Again),
            logged(3, "", Grade::Hard)};
}

QByteArray logOf(const QList<LoggedAnswer> &answers)
{
    QByteArray bytes = AnswerLogHeader(QStringLiteral("0123456789abcdef"));
    for (const LoggedAnswer &answer : answers)
        bytes += EncodeLoggedAnswer(answer);
    return bytes;
}

// A log read while it grows, or as a sync tool leaves it half copied: every cut gives the
// records that are whole before it, and reading on from where it stopped gives the rest, each
// record once.
TEST(AnswerLog, ACutLogGivesItsWholeRecordsAndTheRestLater)
{
    const QList<LoggedAnswer> answers = threeAnswers();
    const QByteArray bytes = logOf(answers);
    QList<qsizetype> recordEnds;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            recordEnds.append(i + 1);
    }
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        const AnswerLogPart first = ReadAnswerLog(QByteArrayView(bytes).first(cut), 0, 0);
        const qsizetype whole = std::count_if(recordEnds.begin(), recordEnds.end(),
                                              [&](qsizetype end) { return end <= cut; });
        ASSERT_EQ(first.answers, answers.first(std::max<qsizetype>(whole - 1, 0))) << cut;
        ASSERT_EQ(first.endOffset, whole == 0 ? 0 : recordEnds.at(whole - 1)) << cut;
        ASSERT_EQ(first.damaged, 0) << cut;
        const AnswerLogPart rest = ReadAnswerLog(bytes, first.endOffset, first.lastSeq);
        ASSERT_EQ(first.answers + rest.answers, answers) << cut;
        ASSERT_EQ(rest.endOffset, bytes.size());
    }
}

struct DamageCase
{
    const char *name;
    QByteArray (*damage)(QByteArray log); // the log of threeAnswers(), damaged
    QList<qint64> seqs;                   // the records read
    int damaged;
    bool laterFormat;
    bool notALog;
};

QByteArray secondRecordChanged(QByteArray log)
{
    log[log.indexOf("\nA\t2\t") + 8] = 'X'; // a digit of its time
    return log;
}

// A byte flipped inside a field that keeps the record's shape: a digit of its time another
// digit. Only the check tells it.
QByteArray secondRecordDigitChanged(QByteArray log)
{
    char &digit = log[log.indexOf("\nA\t2\t") + 8];
    digit = digit == '9' ? '8' : char(digit + 1);
    return log;
}

QByteArray secondRecordTwice(QByteArray log)
{
    const qsizetype start = log.indexOf("\nA\t2\t") + 1;
    return log + log.mid(start, log.indexOf('\n', start) + 1 - start);
}

QByteArray laterVersion(QByteArray log)
{
    return log.replace("MERKO-ODPOVEDI 1", "MERKO-ODPOVEDI 2");
}

QByteArray laterKind(QByteArray log)
{
    // A whole record of a kind this version does not know, with its check right.
    const QByteArray line = "X\t4\tsomething new";
    return log + line + '\t'
           + QCryptographicHash::hash(line, QCryptographicHash::Sha1).toHex().left(8) + '\n';
}

TEST(AnswerLog, DamagedRepeatedAndUnknownRecordsAreSkipped)
{
    const DamageCase cases[] = {
        // clang-format off
        {"a changed byte", secondRecordChanged, {1, 3}, 1, false, false},
        {"a changed digit", secondRecordDigitChanged, {1, 3}, 1, false, false},
        {"a record twice", secondRecordTwice, {1, 2, 3}, 0, false, false},
        {"a later kind", laterKind, {1, 2, 3}, 0, false, false},
        {"garbage line", [](QByteArray log) { return log + "nonsense\n"; }, {1, 2, 3}, 1, false, false},
        {"a later version", laterVersion, {}, 0, true, false},
        {"no log", [](QByteArray log) { return "<html>\n" + log; }, {}, 0, false, true},
        // clang-format on
    };
    for (const DamageCase &c : cases) {
        const AnswerLogPart part = ReadAnswerLog(c.damage(logOf(threeAnswers())), 0, 0);
        QList<qint64> seqs;
        for (const LoggedAnswer &answer : part.answers)
            seqs.append(answer.seq);
        EXPECT_EQ(seqs, c.seqs) << c.name;
        EXPECT_EQ(part.damaged, c.damaged) << c.name;
        EXPECT_EQ(part.laterFormat, c.laterFormat) << c.name;
        EXPECT_EQ(part.notALog, c.notALog) << c.name;
    }
}

// A counter setting between the answers, in the one sequence of numbers, with texts the format
// escapes.
TEST(AnswerLog, CounterSettingsAreReadBetweenTheAnswers)
{
    const LoggedSetting setting{3,
                                {1'800'000'000'000,
                                 U("němčina/lekce\t1.slv"),
                                 {U("pes"), U("a\\b"), U("der Hund"), U("🐶\n")},
                                 {7, 2, 3, 0},
                                 Records("0123456789abcdef:1-2+5,fedcba9876543210:1-7")}};
    LoggedSetting zero = setting;
    zero.seq = 5;
    zero.setting.counters = {};
    zero.setting.context = {};
    const QList<LoggedAnswer> answers{logged(1, "der Hund"), logged(2, "x"), logged(4, "y")};
    const QByteArray log = logOf(answers.first(2)) + EncodeLoggedSetting(setting)
                           + EncodeLoggedAnswer(answers.at(2)) + EncodeLoggedSetting(zero);
    const AnswerLogPart part = ReadAnswerLog(log, 0, 0);
    EXPECT_EQ(part.answers, answers);
    EXPECT_EQ(part.settings, (QList<LoggedSetting>{setting, zero}));
    EXPECT_EQ(part.lastSeq, 5);
    EXPECT_EQ(ReadAnswerLog(log, 0, 3).settings, QList<LoggedSetting>{zero}) << "read on after 3";
}

// A line with its check, as a writer of any version makes it.
QByteArray checkedLine(const QByteArray &line)
{
    return line + '\t' + QCryptographicHash::hash(line, QCryptographicHash::Sha1).toHex().left(8)
           + '\n';
}

// What is no counter setting is damaged; the versions of files that the first builds logged
// are a kind this version skips.
TEST(AnswerLog, SettingsThatSayItBadlyAreDamagedAndVersionsSkipped)
{
    const QByteArray a(40, 'a');
    const QByteArray texts = "\tpes\t\tder Hund\t";
    const struct
    {
        QByteArray line;
        int settings;
        int damaged;
    } cases[] = {
        // clang-format off
        {"S\t1\t5" + texts + "\t1\t2\t0\t1\tx.slv\tk:1-3", 1, 0},
        {"S\t1\t5" + texts + "\t1\t2\t0\t1\tx.slv\t", 1, 0},
        {"S\t1\t5" + texts + "\t-1\t2\t0\t1\tx.slv\t", 0, 1},
        {"S\t1\t5" + texts + "\t1\t2\t0\t9999999999\tx.slv\t", 0, 1},
        {"S\t0\t5" + texts + "\t1\t2\t0\t1\tx.slv\t", 0, 1},
        {"S\t1\t5" + texts + "\t1\t2\t0\t1\tx.slv\tk:2-1", 0, 1},
        {"S\t1\t5" + texts + "\t1\t2\t0\tx.slv\t", 0, 1},
        {"W\tx.slv\t" + a + "\tk:3,m:1", 0, 0},
        {"V\tx.slv\t" + a + "\t\tk:1-2+4", 0, 0},
        // clang-format on
    };
    for (const auto &c : cases) {
        const AnswerLogPart part
            = ReadAnswerLog(AnswerLogHeader(U("k")) + checkedLine(c.line), 0, 0);
        EXPECT_EQ(part.settings.size(), c.settings) << c.line.constData();
        EXPECT_EQ(part.damaged, c.damaged) << c.line.constData();
    }
}

class AnswerLogFileTest : public testing::Test
{
protected:
    QString path(const char *name) const { return QDir(dir.path()).filePath(U(name)); }

    QTemporaryDir dir;
};

// The writer numbers nothing itself; it appends after a header, and after a record that a
// crash cut short, which stays a damaged line of its own.
TEST_F(AnswerLogFileTest, AppendsAfterAHeaderAndAfterARecordCutShort)
{
    AnswerLogWriter writer(path("odpovedi/0123456789abcdef.log"), U("0123456789abcdef"));
    EXPECT_EQ(writer.lastSeq(), 0);
    QString reason;
    ASSERT_TRUE(writer.append(threeAnswers().first(2), {}, &reason)) << reason.toStdString();
    EXPECT_EQ(writer.lastSeq(), 2);
    QFile file(writer.path());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(EncodeLoggedAnswer(threeAnswers().at(2)).first(20));
    file.close();
    EXPECT_EQ(writer.lastSeq(), 2) << "a record cut short does not count";
    ASSERT_TRUE(writer.append({threeAnswers().at(2)}, {}, &reason));
    const AnswerLogPart part = ReadAnswerLogFile(writer.path(), 0, 0);
    EXPECT_EQ(part.answers, threeAnswers());
    EXPECT_EQ(part.damaged, 1);
    EXPECT_EQ(writer.lastSeq(), 3);
}

// A log read in pieces, from an offset kept between reads, and a log replaced by a shorter
// one: each record is taken once. A line longer than a piece is skipped as damaged.
TEST_F(AnswerLogFileTest, ReadsOnFromAnOffsetAndAgainFromTheStartOfAReplacedLog)
{
    const QString log = path("other.log");
    QByteArray bytes = logOf(threeAnswers());
    WriteBytes(log, bytes.first(bytes.indexOf("\nA\t3") + 1));
    const AnswerLogPart first = ReadAnswerLogFile(log, 0, 0);
    EXPECT_EQ(first.answers, threeAnswers().first(2));
    bytes += QByteArray(5 * 1024 * 1024, 'x') + '\n' + EncodeLoggedAnswer(logged(4, "die Katze"));
    WriteBytes(log, bytes);
    const AnswerLogPart second = ReadAnswerLogFile(log, first.endOffset, first.lastSeq);
    EXPECT_EQ(second.answers, (QList<LoggedAnswer>{threeAnswers().at(2), logged(4, "die Katze")}));
    EXPECT_EQ(second.damaged, 1);
    EXPECT_EQ(second.endOffset, bytes.size());

    WriteBytes(log, logOf({logged(1, "der Hund"), logged(5, "das Pferd")}));
    const AnswerLogPart replaced = ReadAnswerLogFile(log, second.endOffset, second.lastSeq);
    EXPECT_EQ(replaced.answers, QList<LoggedAnswer>{logged(5, "das Pferd")});
}

// Several logs read at once: each part is its own log's, read on from its own offset, in the
// order the logs were named, a missing log an empty part.
TEST_F(AnswerLogFileTest, SeveralLogsReadAtOnceKeepTheirOrder)
{
    QList<LogToRead> logs;
    for (int i = 0; i < 7; ++i) {
        logs.append({path(qPrintable(QStringLiteral("log%1.log").arg(i))), 0, 0});
        WriteBytes(logs.last().path, logOf(threeAnswers().first(i % 4)));
    }
    const qint64 afterFirst = logOf(threeAnswers().first(1)).size();
    logs[3] = {logs[3].path, afterFirst, 1};
    logs.append({path("missing.log"), 0, 0});
    const QList<AnswerLogPart> parts = ReadAnswerLogFiles(logs, 2);
    ASSERT_EQ(parts.size(), logs.size());
    for (qsizetype i = 0; i < logs.size(); ++i)
        EXPECT_EQ(parts[i].answers,
                  ReadAnswerLogFile(logs[i].path, logs[i].offset, logs[i].afterSeq, 2).answers)
            << i;
    EXPECT_EQ(parts[3].answers, threeAnswers().mid(1));
    EXPECT_EQ(parts[6].answers.size(), 2);
    EXPECT_TRUE(parts.last().answers.isEmpty());
}

// A log read a few answers at a time, each read on from where the one before stopped, gives
// the same records as one read of it, in as many reads as the answers need.
TEST_F(AnswerLogFileTest, ReadAFewAnswersAtATimeGivesTheSameRecords)
{
    const struct
    {
        qsizetype atOnce;
        int reads;
    } cases[] = {
        {1, 4},
        {2, 2},
        {3, 2}, // the setting after the third answer is read next
        {10, 1},
    };
    const QString log = path("other.log");
    QByteArray bytes = logOf(threeAnswers().first(2)) + "damaged\n";
    bytes += EncodeLoggedAnswer(threeAnswers().at(2));
    bytes += EncodeLoggedSetting(
        {4, {5, U("lekce.slv"), {U("pes")}, {1, 0, 0, 0}, Records("b:1-2")}});
    WriteBytes(log, bytes);
    const AnswerLogPart once = ReadAnswerLogFile(log, 0, 0);
    for (const auto &c : cases) {
        AnswerLogPart all;
        int reads = 0;
        for (bool more = true; more; ++reads) {
            const AnswerLogPart part = ReadAnswerLogFile(log, all.endOffset, all.lastSeq, c.atOnce);
            ASSERT_LE(part.answers.size(), c.atOnce) << c.atOnce;
            all.answers += part.answers;
            all.settings += part.settings;
            all.damaged += part.damaged;
            all.endOffset = part.endOffset;
            all.lastSeq = part.lastSeq;
            more = part.more;
        }
        EXPECT_EQ(reads, c.reads) << c.atOnce;
        EXPECT_EQ(all.answers, once.answers) << c.atOnce;
        EXPECT_EQ(all.settings.size(), 1) << c.atOnce;
        EXPECT_EQ(all.damaged, 1) << c.atOnce;
        EXPECT_EQ(all.endOffset, bytes.size()) << c.atOnce;
    }
}

TEST_F(AnswerLogFileTest, TheComputerIdIsMadeOnceForEachDataFolder)
{
    QString reason;
    const QString id = ComputerId(path("home"), &reason);
    EXPECT_EQ(id.size(), 16);
    EXPECT_EQ(ComputerId(path("home"), &reason), id);
    EXPECT_NE(ComputerId(path("other home"), &reason), id);
    WriteBytes(path("home/computer-id"), "not an id\n");
    EXPECT_NE(ComputerId(path("home"), &reason), id) << "a damaged id is made anew";
    EXPECT_EQ(ComputerId(path("home"), &reason).size(), 16);
}

} // namespace
