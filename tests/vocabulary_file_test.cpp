#include "core/file_error.h"
#include "core/text_file.h"
#include "test_support.h"
#include "vocabulary/vocabulary_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

namespace {

struct LineCase
{
    const char *name;
    const char *line;
    bool firstLine;
    ParsedLine::Kind kind;
    const char *side1;
    const char *comment1;
    const char *side2;
    const char *comment2;
    std::array<int, 4> counters; // Offers[1], Offers[2], Errors[1], Errors[2]
    const char *theme = "";

    // The case's name in test output, instead of its bytes.
    friend void PrintTo(const LineCase &c, std::ostream *out) { *out << c.name; }
};

class ParseLineTest : public testing::TestWithParam<LineCase>
{
};

TEST_P(ParseLineTest, GivesTheSidesCommentsAndCounters)
{
    const LineCase &c = GetParam();
    const ParsedLine parsed = ParseVocabularyLine(U(c.line), c.firstLine);
    ASSERT_EQ(parsed.kind, c.kind);
    EXPECT_EQ(parsed.theme, U(c.theme));
    if (c.kind != ParsedLine::PairLine)
        return;
    const VocabularyEntry &e = parsed.entry;
    EXPECT_EQ(e.side[1], U(c.side1));
    EXPECT_EQ(e.comment[1], U(c.comment1));
    EXPECT_EQ(e.side[2], U(c.side2));
    EXPECT_EQ(e.comment[2], U(c.comment2));
    EXPECT_EQ((std::array<int, 4>{e.offers[1], e.offers[2], e.errors[1], e.errors[2]}), c.counters);
}

using K = ParsedLine::Kind;
const std::array<int, 4> zero{0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseLineTest,
    testing::Values(
        LineCase{"commentAndEndings", "   kalt {kchalt} / studen[ý|á|é]", false, K::PairLine,
                 "kalt ", "kchalt", "studen[ý|á|é]", "", zero},
        LineCase{"blank", "    ", false, K::Ignored, "", "", "", "", zero},
        LineCase{"empty", "", true, K::Ignored, "", "", "", "", zero},
        LineCase{"themeFirst", "*čeština-němčina, lekce 1", true, K::ThemeLine, "", "", "", "",
                 zero, "*čeština-němčina, lekce 1"},
        LineCase{"themeNotFirst", "*čeština-němčina, lekce 1", false, K::Ignored, "", "", "", "",
                 zero},
        LineCase{"themeLeadingSpaces", "  * téma", true, K::ThemeLine, "", "", "", "", zero,
                 "* téma"},
        LineCase{"starWithSlashIsNoPair", "*a / b", false, K::Ignored, "", "", "", "", zero},
        LineCase{"noSlash", "jen text", false, K::Ignored, "", "", "", "", zero},
        LineCase{"slashAlone", "/", false, K::PairLine, "", "", "", "", zero},
        LineCase{"twoCounters",
                 "dům / s Haus @ 4, 2",
                 false,
                 K::PairLine,
                 "dům",
                 "",
                 "s Haus",
                 "",
                 {4, 2, 0, 0}},
        LineCase{"damagedFields",
                 "dům / s Haus @a,7,,3",
                 false,
                 K::PairLine,
                 "dům",
                 "",
                 "s Haus",
                 "",
                 {0, 7, 0, 3}},
        LineCase{"spaceAfterDigits",
                 "dům / s Haus @    3 ,    1,0,0",
                 false,
                 K::PairLine,
                 "dům",
                 "",
                 "s Haus",
                 "",
                 {3, 1, 0, 0}},
        LineCase{"atBeforeSlash",
                 "dům @3 / s Haus",
                 false,
                 K::PairLine,
                 "dům @3",
                 "",
                 "",
                 "",
                 {3, 0, 0, 0}},
        LineCase{"synonymsStayWhole", "jemný / zart, fein", false, K::PairLine, "jemný", "",
                 "zart, fein", "", zero},
        LineCase{"textAfterComment", "kalt {k}x / a", false, K::PairLine, "kalt x", "k", "a", "",
                 zero},
        LineCase{"unclosedComment", "{abc / d", false, K::PairLine, "", "abc", "d", "", zero},
        LineCase{
            "signs", "a / b @ -1, +2, -0,  7", false, K::PairLine, "a", "", "b", "", {-1, 2, 0, 7}},
        LineCase{"signDroppedWhenDamaged",
                 "a / b @-5x,-6 ,3",
                 false,
                 K::PairLine,
                 "a",
                 "",
                 "b",
                 "",
                 {5, 6, 3, 0}},
        LineCase{"hexIsDamaged",
                 "a / b @$1F,0x10,x5,5",
                 false,
                 K::PairLine,
                 "a",
                 "",
                 "b",
                 "",
                 {0, 0, 0, 5}},
        LineCase{"extraFieldsIgnored",
                 "a / b @1,2,3,4,5,6",
                 false,
                 K::PairLine,
                 "a",
                 "",
                 "b",
                 "",
                 {1, 2, 3, 4}},
        LineCase{"writtenForm",
                 "a                                                            / b      "
                 "                                                     @  123,    0,   -1,123456",
                 false,
                 K::PairLine,
                 "a",
                 "",
                 "b",
                 "",
                 {123, 0, -1, 123456}},
        LineCase{"overflowKeepsLeadingDigits",
                 "a / b @99999999999,-2147483648,2147483647",
                 false,
                 K::PairLine,
                 "a",
                 "",
                 "b",
                 "",
                 {999999999, -2147483647 - 1, 2147483647, 0}},
        LineCase{"damagedSmallestCounterKeepsLeadingDigitsWithoutSign",
                 "a / b @-2147483648x,-2147483648 ,-2147483649,-21474836480",
                 false,
                 K::PairLine,
                 "a",
                 "",
                 "b",
                 "",
                 {214748364, 214748364, 214748364, 214748364}},
        LineCase{"tabsStayInSide", "\ta\t / b", false, K::PairLine, "\ta\t", "", "b", "", zero},
        LineCase{"sideCutTo50BeforeComment",
                 "12345678901234567890123456789012345678901234567 {abcdef} / x", false, K::PairLine,
                 "12345678901234567890123456789012345678901234567 ", "a", "x", "", zero},
        LineCase{"closingBraceBeforeOpening", "a}b{c / x", false, K::PairLine, "a}b", "c", "x", "",
                 zero},
        LineCase{"secondSideComment",
                 "pes / r Hund {hunt}  @1,2,3,4",
                 false,
                 K::PairLine,
                 "pes",
                 "",
                 "r Hund ",
                 "hunt",
                 {1, 2, 3, 4}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextRoutines, TrimAndPad)
{
    EXPECT_EQ(TrimSpaces(QStringLiteral("  \ta b\t  ")), QStringLiteral("\ta b\t"));
    EXPECT_EQ(TrimWhite(QStringLiteral(" \t\r\x01 a b \x1f")), QStringLiteral("a b"));
    EXPECT_EQ(PadRight(QStringLiteral("ab"), 5), QStringLiteral("ab   "));
    EXPECT_EQ(PadRight(QStringLiteral("abcdef"), 3), QStringLiteral("abcdef"));
}

TEST(FormatVocabularyLine, WritesTheFixedColumns)
{
    VocabularyEntry entry = ParseVocabularyLine(U("   kalt {kchalt} / studen[ý|á|é]"), false).entry;
    entry.offers[1] = 3;
    entry.errors[1] = 1;
    const QString expected = U("kalt {kchalt}") + QString(47, QLatin1Char(' ')) + U(" / ")
                             + U("studen[ý|á|é]") + QString(47, QLatin1Char(' '))
                             + U(" @    3,    0,    1,    0");
    EXPECT_EQ(FormatVocabularyLine(entry), expected);
    EXPECT_EQ(expected.size(), 148);

    entry.offers[2] = 123456;
    entry.errors[2] = -1;
    EXPECT_TRUE(FormatVocabularyLine(entry).endsWith(U(" @    3,123456,    1,   -1")));
}

TEST(FormatVocabularyLine, TrimsControlCharactersAtTheEndsOfSidesAndComments)
{
    VocabularyEntry entry;
    entry.side[1] = QStringLiteral("\t a \t");
    entry.comment[1] = QStringLiteral(" c\t");
    entry.side[2] = QStringLiteral("b ");
    const QString line = FormatVocabularyLine(entry);
    EXPECT_TRUE(line.startsWith(QStringLiteral("a {c}") + QString(55, QLatin1Char(' ')) + " / b "));
}

class VocabularyFileTest : public testing::Test
{
protected:
    QString path(const char *name) const { return QDir(dir.path()).filePath(U(name)); }
    QTemporaryDir dir;
};

TEST_F(VocabularyFileTest, ReadsTheThemeAndPairsAndWritesTheCanonicalForm)
{
    const QString file = path("lekce.slv");
    WriteBytes(file, Cp1250("  *čeština-němčina, lekce 1\r\n"
                            "\r\n"
                            "pes / r Hund @ 3,1,1\r\n"
                            "* poznámka\r\n"
                            "bez lomítka\r\n"
                            "okno/s Fenster\n"
                            "kalt {kchalt} / studen[ý|á|é]"));
    Vocabulary vocabulary;
    ReadVocabularyFile(file, vocabulary);
    ASSERT_EQ(vocabulary.count(), 3);
    EXPECT_EQ(vocabulary.theme, U("*čeština-němčina, lekce 1"));
    EXPECT_EQ(vocabulary.at(1).side[2], U("r Hund"));
    EXPECT_EQ(vocabulary.at(1).errors[1], 1);
    EXPECT_EQ(vocabulary.at(2).side[1], U("okno"));
    EXPECT_EQ(vocabulary.at(3).comment[1], U("kchalt"));

    WriteVocabularyFile(file, vocabulary);
    const auto pad = [](const char *text) {
        return PadRight(U(text), 60);
    };
    // Pairs in the program's form; every other line the user wrote stays where it was.
    const QByteArray expected
        = EncodeCp1250(U("*čeština-němčina, lekce 1\r\n\r\n") + pad("pes") + " / "
                       + pad("r Hund") + " @    3,    1,    1,    0\r\n* poznámka\r\nbez lomítka\r\n"
                       + pad("okno") + " / " + pad("s Fenster") + " @    0,    0,    0,    0\r\n"
                       + pad("kalt {kchalt}") + " / " + pad("studen[ý|á|é]")
                       + " @    0,    0,    0,    0\r\n");
    EXPECT_EQ(ReadBytes(file), expected);

    // A second round leaves the canonical form byte for byte.
    Vocabulary again;
    ReadVocabularyFile(file, again);
    EXPECT_EQ(again.entries, vocabulary.entries);
    WriteVocabularyFile(file, again);
    EXPECT_EQ(ReadBytes(file), expected);
}

TEST_F(VocabularyFileTest, StopsAtCtrlZAndIgnoresAThemeOnALaterLine)
{
    const QString file = path("z.slv");
    WriteBytes(file, QByteArray("\r\n*theme\r\na / b\r\nc / d\x1a"
                                "e / f\r\n"));
    Vocabulary vocabulary;
    ReadVocabularyFile(file, vocabulary);
    EXPECT_EQ(vocabulary.count(), 2);
    EXPECT_TRUE(vocabulary.theme.isEmpty());
    EXPECT_EQ(vocabulary.at(2).side[2], U("d"));
}

// A file that is no dictionary is refused with a message naming it, and never written.
TEST_F(VocabularyFileTest, AFileWithoutPairsOrWithBinaryContentIsRefused)
{
    const std::pair<const char *, QByteArray> files[] = {
        {"notes.slv", Cp1250("*jen téma\r\n   \r\n* další\r\nbez lomítka\r\n")},
        {"empty.slv", QByteArray()},
        {"binary.slv", QByteArray("pes / r Hund\r\n\0\x01\x02", 17)}};
    for (const auto &[name, content] : files) {
        const QString file = path(name);
        WriteBytes(file, content);
        Vocabulary vocabulary;
        vocabulary.theme = QStringLiteral("*kept");
        try {
            ReadVocabularyFile(file, vocabulary);
            ADD_FAILURE() << name << " was read as a dictionary";
        } catch (const FileError &error) {
            EXPECT_TRUE(error.message().startsWith(U("Soubor ") + file + U(" není slovník: ")))
                << error.message().toStdString();
        }
        EXPECT_EQ(vocabulary.theme, QStringLiteral("*kept")) << "nothing half-read";
        EXPECT_EQ(ReadBytes(file), content);
    }
}

TEST_F(VocabularyFileTest, EveryByteValueSurvivesReadAndWriteBack)
{
    // The theme carries every byte but LF, Ctrl-Z and NUL (which marks a binary file); the
    // sides carry the upper half.
    QByteArray theme("*<");
    for (int b = 1; b < 256; ++b) {
        if (b != '\n' && b != 0x1a)
            theme.append(char(b));
    }
    theme.append('>');
    QByteArray content = theme + "\r\n";
    for (int start = 128; start < 256; start += 32) {
        QByteArray side("<");
        for (int b = start; b < start + 32; ++b)
            side.append(char(b));
        side.append('>');
        content += side + QByteArray(60 - side.size(), ' ') + " / " + side
                   + QByteArray(60 - side.size(), ' ') + " @    1,    2,    3,    4\r\n";
    }
    const QString file = path("bytes.slv");
    WriteBytes(file, content);
    Vocabulary vocabulary;
    ReadVocabularyFile(file, vocabulary);
    ASSERT_EQ(vocabulary.count(), 4);
    EXPECT_EQ(vocabulary.at(1).side[1].size(), 34);
    WriteVocabularyFile(file, vocabulary);
    EXPECT_EQ(ReadBytes(file), content);
}

TEST_F(VocabularyFileTest, LongLinesAreReadWhole)
{
    const QString file = path("long.slv");
    const QByteArray padding(300, ' ');
    WriteBytes(file, "a" + padding + "/" + padding + "b" + padding + "@ 5,6,7,8\r\n");
    Vocabulary vocabulary;
    ReadVocabularyFile(file, vocabulary);
    ASSERT_EQ(vocabulary.count(), 1);
    EXPECT_EQ(vocabulary.at(1).side[2], U("b"));
    EXPECT_EQ(vocabulary.at(1).errors[2], 8);
}

TEST_F(VocabularyFileTest, AFileOfMoreThanCapacityPairsIsRefusedAndLeftAlone)
{
    const QString file = path("big.slv");
    QByteArray content;
    for (int i = 0; i <= Vocabulary::Capacity; ++i)
        content += "a" + QByteArray::number(i) + " / b @1,0,0,0\r\n";
    WriteBytes(file, content);

    Vocabulary vocabulary;
    vocabulary.entries.append(VocabularyEntry{});
    vocabulary.theme = QStringLiteral("*old");
    try {
        ReadVocabularyFile(file, vocabulary);
        FAIL() << "a dictionary of 1001 pairs was accepted";
    } catch (const FileError &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("1000")));
        EXPECT_TRUE(error.message().contains(file));
    }
    EXPECT_EQ(vocabulary.count(), 1);
    EXPECT_EQ(vocabulary.theme, QStringLiteral("*old"));
    EXPECT_EQ(ReadBytes(file), content);

    // Exactly the capacity is fine.
    content.truncate(content.lastIndexOf("a1000"));
    WriteBytes(file, content);
    ReadVocabularyFile(file, vocabulary);
    EXPECT_EQ(vocabulary.count(), Vocabulary::Capacity);
}

TEST_F(VocabularyFileTest, AHugeFileIsRefusedBeforeItIsRead)
{
    const QString file = path("huge.slv");
    WriteBytes(file, "a / b\r\n");
    QFile sparse(file);
    ASSERT_TRUE(sparse.resize(MaxTextFileSize + 1));
    Vocabulary vocabulary;
    try {
        ReadVocabularyFile(file, vocabulary);
        FAIL() << "a huge file was read";
    } catch (const FileError &error) {
        EXPECT_TRUE(error.message().contains(QString::fromUtf8("příliš velký")));
    }
    EXPECT_EQ(QFileInfo(file).size(), MaxTextFileSize + 1);
}

TEST_F(VocabularyFileTest, AMissingFileThrowsTheSystemTextAndChangesNothing)
{
    Vocabulary vocabulary;
    vocabulary.theme = QStringLiteral("*kept");
    try {
        ReadVocabularyFile(path("none.slv"), vocabulary);
        FAIL() << "no error for a missing file";
    } catch (const FileError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("No such file or directory"));
    }
    EXPECT_EQ(vocabulary.theme, QStringLiteral("*kept"));
}

TEST_F(VocabularyFileTest, WritingKeepsThePermissionBits)
{
    const QString file = path("perm.slv");
    WriteBytes(file, "a / b\r\n");
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                    | QFileDevice::ReadGroup);
    Vocabulary vocabulary;
    ReadVocabularyFile(file, vocabulary);
    WriteVocabularyFile(file, vocabulary);
    const auto modeBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                          | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                          | QFileDevice::ReadOther | QFileDevice::WriteOther
                          | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(file) & modeBits,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(ReadBytes(file).size(), 150);
}

TEST_F(VocabularyFileTest, AWriteIntoAMissingDirectoryFailsWithTheSystemText)
{
    Vocabulary vocabulary;
    vocabulary.entries.append(VocabularyEntry{});
    EXPECT_THROW(WriteVocabularyFile(path("no/such/dir.slv"), vocabulary), FileError);
}

// A write that fails part-way (here: the file-size limit of the process is hit) must leave
// the old dictionary whole, byte for byte. Runs in a child so that the limit stays there.
TEST_F(VocabularyFileTest, AWriteThatFailsPartWayLeavesTheOldFileWhole)
{
    const QString file = path("keep.slv");
    QByteArray original;
    for (int i = 0; i < 40; ++i)
        original += "slovo" + QByteArray::number(i) + " / Wort @ 1, 2, 3, 4\r\n";
    WriteBytes(file, original);

    Vocabulary vocabulary;
    ReadVocabularyFile(file, vocabulary); // the rewrite is about 6000 bytes
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        int code = 1;
        try {
            WriteVocabularyFile(file, vocabulary);
        } catch (const FileError &) {
            code = 0;
        }
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was not reported";
    EXPECT_EQ(ReadBytes(file), original);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.slv")});
}

} // namespace
