#include "core/file_error.h"
#include "core/text_file.h"
#include "test_support.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

#include <cstdio>
#include <functional>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
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
        // clang-format off
        LineCase{"commentAndEndings", "   kalt {kchalt} / studen[ý|á|é]", false, K::PairLine, "kalt ", "kchalt", "studen[ý|á|é]", "", zero},
        LineCase{"blank", "    ", false, K::Ignored, "", "", "", "", zero},
        LineCase{"empty", "", true, K::Ignored, "", "", "", "", zero},
        LineCase{"themeFirst", "*čeština-němčina, lekce 1", true, K::ThemeLine, "", "", "", "", zero, "*čeština-němčina, lekce 1"},
        LineCase{"themeNotFirst", "*čeština-němčina, lekce 1", false, K::Ignored, "", "", "", "", zero},
        LineCase{"themeLeadingSpaces", "  * téma", true, K::ThemeLine, "", "", "", "", zero, "* téma"},
        LineCase{"starWithSlashIsNoPair", "*a / b", false, K::Ignored, "", "", "", "", zero},
        LineCase{"noSlash", "jen text", false, K::Ignored, "", "", "", "", zero},
        LineCase{"slashAlone", "/", false, K::PairLine, "", "", "", "", zero},
        LineCase{"twoCounters", "dům / s Haus @ 4, 2", false, K::PairLine, "dům", "", "s Haus", "", {4, 2, 0, 0}},
        LineCase{"damagedFields", "dům / s Haus @a,7,,3", false, K::PairLine, "dům", "", "s Haus", "", {0, 7, 0, 3}},
        LineCase{"spaceAfterDigits", "dům / s Haus @    3 ,    1,0,0", false, K::PairLine, "dům", "", "s Haus", "", {3, 1, 0, 0}},
        LineCase{"atBeforeSlash", "dům @3 / s Haus", false, K::PairLine, "dům @3", "", "", "", {3, 0, 0, 0}},
        LineCase{"synonymsStayWhole", "jemný / zart, fein", false, K::PairLine, "jemný", "", "zart, fein", "", zero},
        LineCase{"textAfterComment", "kalt {k}x / a", false, K::PairLine, "kalt x", "k", "a", "", zero},
        LineCase{"unclosedComment", "{abc / d", false, K::PairLine, "", "abc", "d", "", zero},
        LineCase{"signs", "a / b @ -1, +2, -0,  7", false, K::PairLine, "a", "", "b", "", {-1, 2, 0, 7}},
        LineCase{"signDroppedWhenDamaged", "a / b @-5x,-6 ,3", false, K::PairLine, "a", "", "b", "", {5, 6, 3, 0}},
        LineCase{"hexIsDamaged", "a / b @$1F,0x10,x5,5", false, K::PairLine, "a", "", "b", "", {0, 0, 0, 5}},
        LineCase{"extraFieldsIgnored", "a / b @1,2,3,4,5,6", false, K::PairLine, "a", "", "b", "", {1, 2, 3, 4}},
        LineCase{"writtenForm", "a                                                            / b      " "                                                     @  123,    0,   -1,123456", false, K::PairLine, "a", "", "b", "", {123, 0, -1, 123456}},
        LineCase{"overflowKeepsLeadingDigits", "a / b @99999999999,-2147483648,2147483647", false, K::PairLine, "a", "", "b", "", {999999999, -2147483647 - 1, 2147483647, 0}},
        LineCase{"damagedSmallestCounterKeepsLeadingDigitsWithoutSign", "a / b @-2147483648x,-2147483648 ,-2147483649,-21474836480", false, K::PairLine, "a", "", "b", "", {214748364, 214748364, 214748364, 214748364}},
        LineCase{"largestCounterFollowedByMoreKeepsAllItsDigits", "a / b @2147483647x,21474836471,2147483647 ,+2147483647", false, K::PairLine, "a", "", "b", "", {2147483647, 2147483647, 2147483647, 2147483647}},
        LineCase{"tabsStayInSide", "\ta\t / b", false, K::PairLine, "\ta\t", "", "b", "", zero},
        LineCase{"sideCutTo50BeforeComment", "12345678901234567890123456789012345678901234567 {abcdef} / x", false, K::PairLine, "12345678901234567890123456789012345678901234567 ", "a", "x", "", zero},
        LineCase{"closingBraceBeforeOpening", "a}b{c / x", false, K::PairLine, "a}b", "c", "x", "", zero},
        LineCase{"secondSideComment", "pes / r Hund {hunt}  @1,2,3,4", false, K::PairLine, "pes", "", "r Hund ", "hunt", {1, 2, 3, 4}} // clang-format on
        ),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextRoutines, TrimAndPad)
{
    EXPECT_EQ(TrimSpaces(QStringLiteral("  \ta b\t  ")), QStringLiteral("\ta b\t"));
    EXPECT_EQ(TrimWhite(QStringLiteral(" \t\r\x01 a b \x1f")), QStringLiteral("a b"));
    EXPECT_EQ(PadRight(QStringLiteral("ab"), 5), QStringLiteral("ab   "));
    EXPECT_EQ(PadRight(QStringLiteral("abcdef"), 3), QStringLiteral("abcdef"));
    EXPECT_EQ(PadRight(U("😀a"), 4), U("😀a  ")) << "a character outside the basic plane is one";
}

// A CR that ends the text, before the end of the file or a Ctrl-Z, is a line ending.
TEST(TextRoutines, ALoneCrAtTheEndOfTheTextEndsTheLine)
{
    // clang-format off
    const struct { const char *name; QByteArray bytes; } cases[] = {
        {"endOfFile", "pes / dog\r"},
        {"beforeCtrlZ", "pes / dog\r\x1a" "za koncem"},
        {"afterAnEarlierLine", "kocka / cat\r\npes / dog\r"},
    };
    // clang-format on
    for (const auto &c : cases) {
        const Vocabulary vocabulary = ParseVocabularyFile(c.bytes, QStringLiteral("x.slv"));
        EXPECT_EQ(vocabulary.entries.last().side[2], QStringLiteral("dog")) << c.name;
        const QByteArray written = FormatVocabularyFile(vocabulary);
        EXPECT_EQ(ParseVocabularyFile(written, QStringLiteral("x.slv")).entries, vocabulary.entries)
            << c.name;
    }
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
    const QByteArray expected = EncodeCp1250(
        U("*čeština-němčina, lekce 1\r\n\r\n") + pad("pes") + " / " + pad("r Hund")
        + " @    3,    1,    1,    0\r\n* poznámka\r\nbez lomítka\r\n" + pad("okno") + " / "
        + pad("s Fenster") + " @    0,    0,    0,    0\r\n" + pad("kalt {kchalt}") + " / "
        + pad("studen[ý|á|é]") + " @    0,    0,    0,    0\r\n");
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
    const std::pair<const char *, QByteArray> files[]
        = {{"notes.slv", Cp1250("*jen téma\r\n   \r\n* další\r\nbez lomítka\r\n")},
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
        } catch (const FileError &error) {
            // The reason is told, not "unknown error".
            code = error.message() == U("soubor by překročil největší povolenou velikost") ? 0 : 2;
        }
        _exit(code);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was not reported with its reason";
    EXPECT_EQ(ReadBytes(file), original);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.slv")});
}

// A full disk: a small file system of its own in a mount namespace of its own.
TEST_F(VocabularyFileTest, AFullDiskIsNamedAsTheReason)
{
    const QString folder = path("small");
    QDir().mkpath(folder);
    const int code = InChild([&] {
        if (!MountTinyDisk(folder))
            return 77;
        const QString file = QDir(folder).filePath(QStringLiteral("lekce.slv"));
        WriteBytes(file, "pes / r Hund\r\n");
        Vocabulary vocabulary;
        ReadVocabularyFile(file, vocabulary);
        const VocabularyEntry pair = vocabulary.at(1);
        vocabulary.entries.resize(400, pair); // some 60 kB written
        try {
            WriteVocabularyFile(file, vocabulary);
        } catch (const FileError &error) {
            if (error.message() != U("na disku není dost místa"))
                return 2;
            return ReadBytes(file) == "pes / r Hund\r\n" ? 0 : 3;
        }
        return 1;
    });
    if (code == 77)
        GTEST_SKIP() << "no mount namespace here";
    EXPECT_EQ(code, 0) << "1: not reported, 2: another reason, 3: the old file was damaged";
}

// A shared class folder: the user may write the dictionary but not the folder, so no
// temporary copy can be made beside it. It is written in place, hard links included.
TEST_F(VocabularyFileTest, AFileInAFolderTheUserMayNotWriteIsWrittenInPlace)
{
    const QString folder = path("class");
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    const QString file = QDir(folder).filePath(QStringLiteral("lekce.slv"));
    const QString link = path("my-link.slv");
    WriteBytes(file, "pes / r Hund\r\n");
    ::chmod(QFile::encodeName(file).constData(), 0666);
    ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(link).constData()), 0);
    ::chmod(QFile::encodeName(folder).constData(), 0555);
    const int code = InChild([&] {
        // As root, permission bits bind only once the process is someone else.
        if (geteuid() == 0 && setuid(65534) != 0)
            return 77;
        if (QFile(QDir(folder).filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly))
            return 77; // the folder is writable after all
        Vocabulary vocabulary;
        ReadVocabularyFile(file, vocabulary);
        vocabulary.at(1).offers[1] = 4;
        try {
            WriteVocabularyFile(file, vocabulary);
        } catch (const FileError &) {
            return 1;
        }
        return 0;
    });
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    if (code == 77)
        GTEST_SKIP() << "cannot take away the right to write the folder here";
    EXPECT_EQ(code, 0) << "1: the write failed, 99: the file could not be read";
    EXPECT_TRUE(ReadBytes(file).endsWith(" @    4,    0,    0,    0\r\n"));
    EXPECT_EQ(ReadBytes(link), ReadBytes(file)) << "the hard link sees the new content";
}

// Lines the reader does not take as pairs stay where they were, byte for byte; so do the bytes
// after a Ctrl-Z and text beyond a side's 50 characters.
TEST_F(VocabularyFileTest, WritingBackKeepsEveryLineTheUserWrote)
{
    const QByteArray longSide(1024 * 1024, 'k');
    const QByteArray content = Cp1250("*němčina\r\n"
                                      "* r = der, e = die, s = das\r\n"
                                      "\r\n"
                                      "pes / r Hund\r\n"
                                      "   \n"
                                      "jen poznámka bez lomítka\n"
                                      "kůň / s Pferd @ 1,2,3,4\r\n")
                               + longSide + " / dlouhé\r\n"
                               + Cp1250("* konec\r\n\x1a"
                                        "cokoli za koncem \x01\xff");
    const QString file = path("lekce.slv");
    WriteBytes(file, content);
    Vocabulary vocabulary;
    ReadVocabularyFile(file, vocabulary);
    ASSERT_EQ(vocabulary.count(), 3);
    vocabulary.at(1).offers[1] = 2;
    vocabulary.at(3).errors[2] = 5;
    WriteVocabularyFile(file, vocabulary);
    const QByteArray written = ReadBytes(file);
    const QByteArray pes = EncodeCp1250(FormatVocabularyLine(vocabulary.at(1)));
    const QByteArray kun = EncodeCp1250(FormatVocabularyLine(vocabulary.at(2)));
    EXPECT_EQ(written, Cp1250("*němčina\r\n* r = der, e = die, s = das\r\n\r\n") + pes
                           + Cp1250("\r\n   \njen poznámka bez lomítka\n") + kun + "\r\n" + longSide
                           + " / dlouhé @    0,    0,    0,    5\r\n"
                           + Cp1250("* konec\r\n\x1a"
                                    "cokoli za koncem \x01\xff"));

    Vocabulary again;
    ReadVocabularyFile(file, again);
    EXPECT_EQ(again.entries, vocabulary.entries);
    WriteVocabularyFile(file, again);
    EXPECT_EQ(ReadBytes(file), written);
}

// Answers of a session on every pair whose line can hold counters; a line with its '@' before
// its '/' cannot, and is written as it was read.
void answerAllThatCanBeKept(Vocabulary &vocabulary, int answers)
{
    for (qsizetype i = 0; i < vocabulary.entries.size(); ++i) {
        if (vocabulary.shape.forms.at(i) != PairLineForm::Unchanged)
            vocabulary.entries[i].offers[1] += answers;
    }
}

struct RoundTripCase
{
    const char *name;
    QByteArray content;

    friend void PrintTo(const RoundTripCase &c, std::ostream *out) { *out << c.name; }
};

class RoundTripTest : public testing::TestWithParam<RoundTripCase>
{
};

// Reading what was written gives the same dictionary, and writing it again the same bytes,
// also for lines the program's own form would change.
TEST_P(RoundTripTest, WritesWhatReadsBackTheSame)
{
    const QByteArray content = GetParam().content;
    Vocabulary first = ParseVocabularyFile(content, QStringLiteral("x.slv"));
    answerAllThatCanBeKept(first, 3);
    const QByteArray written = FormatVocabularyFile(first);
    const Vocabulary second = ParseVocabularyFile(written, QStringLiteral("x.slv"));
    EXPECT_EQ(second.entries, first.entries) << written.toStdString();
    EXPECT_EQ(second.theme, first.theme);
    EXPECT_EQ(FormatVocabularyFile(second), written);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RoundTripTest,
    testing::Values(
        RoundTripCase{"controlCharacterBeforeStar", QByteArray("\x01*/")},
        RoundTripCase{"atBeforeSlash", QByteArray("@,1/\r\ndům @3 / s Haus\r\npes / Hund")},
        RoundTripCase{"secondOpeningBrace", QByteArray("{}{/")},
        RoundTripCase{"twoComments", Cp1250("r Hund {der}{pl. Hunde} / pes")},
        RoundTripCase{"commentPushedBeyondCapacity",
                      Cp1250("das Krankenhaus, das Spital, die Klinik {nemocnice} / nemocnice")},
        RoundTripCase{"commentOfBlanks", QByteArray("pes {   } / Hund")},
        RoundTripCase{"tabsAtTheEnds", QByteArray("\tpes\t / \tHund\t @ 1")},
        RoundTripCase{"atInTheSecondSide", QByteArray("e-mail / a@b @ 1,2,3,4")},
        RoundTripCase{"programForm",
                      QByteArray("*t\r\npes / r Hund @    1,    0,    1,    0\r\n")}),
    [](const auto &info) { return std::string(info.param.name); });

// The same property over generated files of the characters that matter to the format.
TEST(RoundTrip, GeneratedFilesReadBackTheSameAndWriteTheSameBytes)
{
    const char *pieces[]
        = {"a", "Z", " ", "  ", "/", "@",    "{",  "}",  "*",    "\t",   "\x01",      ",",
           "1", "-", "[", "|",  "]", "\r\n", "\n", "\r", "\x1a", "\xe8", "9999999999"};
    QRandomGenerator random(17);
    int dictionaries = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray content;
        const int count = int(random.bounded(40));
        for (int i = 0; i < count; ++i)
            content += pieces[random.bounded(int(std::size(pieces)))];
        Vocabulary first;
        try {
            first = ParseVocabularyFile(content, QStringLiteral("x.slv"));
        } catch (const FileError &) {
            continue; // no dictionary: never written
        }
        ++dictionaries;
        answerAllThatCanBeKept(first, 1);
        const QByteArray written = FormatVocabularyFile(first);
        const Vocabulary second = ParseVocabularyFile(written, QStringLiteral("x.slv"));
        ASSERT_EQ(second.entries, first.entries) << content.toHex().toStdString();
        ASSERT_EQ(second.theme, first.theme) << content.toHex().toStdString();
        ASSERT_EQ(FormatVocabularyFile(second), written) << content.toHex().toStdString();
        ASSERT_TRUE(written.endsWith(first.shape.tail));
    }
    EXPECT_GT(dictionaries, 1000) << "the generator should mostly make dictionaries";
}

// A dictionary in UTF-8 is read and written back in UTF-8, its byte order mark kept or absent
// as it was; its capacities count characters, not bytes.
TEST(Utf8Dictionary, IsWrittenBackInItsOwnEncoding)
{
    const QString side(50, QChar(0x0436)); // 50 Cyrillic letters, 100 bytes
    for (const QByteArray &mark : {QByteArray(), QByteArray("\xEF\xBB\xBF")}) {
        const QByteArray bytes = mark + U("*испанский\r\nel perro {m.} / pes\r\n").toUtf8()
                                 + side.toUtf8() + U(" / dlouhé\r\n").toUtf8();
        Vocabulary vocabulary = ParseVocabularyFile(bytes, QStringLiteral("x.slv"));
        EXPECT_EQ(vocabulary.encoding,
                  mark.isEmpty() ? TextEncoding::Utf8 : TextEncoding::Utf8WithBom);
        EXPECT_EQ(vocabulary.theme, U("*испанский"));
        EXPECT_EQ(vocabulary.at(2).side[1], side) << "50 characters are not cut";
        EXPECT_EQ(vocabulary.shape.forms.at(1), PairLineForm::Program);
        vocabulary.at(1).offers[2] = 3;
        const QByteArray written = FormatVocabularyFile(vocabulary);
        EXPECT_TRUE(written.startsWith(mark + U("*испанский\r\nel perro {m.}").toUtf8()));
        EXPECT_TRUE(
            written.contains((side + QString(10, QLatin1Char(' ')) + U(" / dlouhé")).toUtf8()));
        EXPECT_EQ(ParseVocabularyFile(written, QStringLiteral("x.slv")).entries,
                  vocabulary.entries);
    }
}

// Text that windows-1250 cannot hold makes the dictionary UTF-8, and the caller is told.
TEST_F(VocabularyFileTest, AWindows1250DictionaryBecomesUtf8WhenItMust)
{
    const QString file = path("lekce.slv");
    WriteBytes(file, Cp1250("*čeština\r\n* poznámka\r\nkočka / e Katze\r\n"));
    Vocabulary vocabulary;
    ReadVocabularyFile(file, vocabulary);
    vocabulary.path = file;
    EXPECT_EQ(vocabulary.encoding, TextEncoding::Windows1250);
    vocabulary.at(1).offers[1] = 1;
    EXPECT_FALSE(SaveVocabulary(vocabulary).becameUtf8);
    EXPECT_TRUE(ReadBytes(file).startsWith(Cp1250("*čeština\r\n* poznámka\r\n")));

    vocabulary.theme = U("*čeština-ruština, кошка");
    vocabulary.at(1).offers[1] = 2;
    EXPECT_TRUE(SaveVocabulary(vocabulary).becameUtf8);
    EXPECT_EQ(vocabulary.encoding, TextEncoding::Utf8WithBom);
    const QByteArray written = ReadBytes(file);
    EXPECT_TRUE(
        written.startsWith("\xEF\xBB\xBF" + U("*čeština-ruština, кошка\r\n* poznámka").toUtf8()));
    Vocabulary again;
    ReadVocabularyFile(file, again);
    EXPECT_EQ(again.entries, vocabulary.entries);
    EXPECT_EQ(again.theme, vocabulary.theme);
}

} // namespace
