#include "core/helpers.h"
#include "core/text_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <vector>

TEST(RandomBelow, FreshStateGivesTheKnownSequences)
{
    ResetRandomState();
    std::vector<int> tens;
    for (int i = 0; i < 8; ++i)
        tens.push_back(RandomBelow(10));
    EXPECT_EQ(tens, (std::vector<int>{0, 0, 8, 2, 2, 6, 3, 1}));

    ResetRandomState();
    std::vector<int> twos;
    for (int i = 0; i < 8; ++i)
        twos.push_back(RandomBelow(2));
    EXPECT_EQ(twos, (std::vector<int>{0, 0, 1, 0, 0, 1, 0, 0}));
}

TEST(RandomBelow, StaysInRangeAndResetsForTests)
{
    ResetRandomState();
    for (int i = 0; i < 10000; ++i) {
        const int value = RandomBelow(7);
        ASSERT_GE(value, 0);
        ASSERT_LT(value, 7);
    }
    ResetRandomState();
    EXPECT_EQ(RandomBelow(1000), 0);
    EXPECT_EQ(RandomBelow(1), 0);
}

TEST(PadLeft, TakesTheNumberModulo65536AndNeverCuts)
{
    EXPECT_EQ(PadLeft(90, 3), QStringLiteral(" 90"));
    EXPECT_EQ(PadLeft(0, 6), QStringLiteral("     0"));
    EXPECT_EQ(PadLeft(65535, 6), QStringLiteral(" 65535"));
    EXPECT_EQ(PadLeft(65536, 6), QStringLiteral("     0"));
    EXPECT_EQ(PadLeft(65537 + 12, 6), QStringLiteral("    13"));
    EXPECT_EQ(PadLeft(-1, 6), QStringLiteral(" 65535"));
    EXPECT_EQ(PadLeft(12345, 3), QStringLiteral("12345"));
}

struct FixedCase
{
    const char *name;
    double value;
    const char *shown;

    // The case's name in test output, instead of its bytes.
    friend void PrintTo(const FixedCase &c, std::ostream *out) { *out << c.name; }
};

class FormatFixedTest : public testing::TestWithParam<FixedCase>
{
};

TEST_P(FormatFixedTest, RoundsHalvesAwayFromZeroOnTheShownDecimal)
{
    EXPECT_EQ(FormatFixed(GetParam().value), QString::fromLatin1(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatFixedTest,
    testing::Values(
        FixedCase{"hundred", 100, "100.00"}, FixedCase{"zero", 0, "  0.00"},
        FixedCase{"elevenths", 1000.0 / 11, " 90.91"}, FixedCase{"thirds", 200.0 / 3, " 66.67"},
        FixedCase{"third", 100.0 / 3, " 33.33"}, FixedCase{"exactHalf", 12.125, " 12.13"},
        FixedCase{"decimalHalf", 1.005, "  1.01"}, FixedCase{"carryIntoWhole", 9.995, " 10.00"},
        FixedCase{"carryWidens", 999.999, "1000.00"}, FixedCase{"eightyFive", 600.0 / 7, " 85.71"},
        FixedCase{"negative", -12.125, "-12.13"}, FixedCase{"tinyNegative", -0.001, "  0.00"},
        FixedCase{"belowHalf", 0.004999, "  0.00"}, FixedCase{"large", 123456.5, "123456.50"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextFile, EveryByteSurvivesDecodingAndEncoding)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    EXPECT_EQ(EncodeCp1250(DecodeCp1250(all)), all);
    EXPECT_EQ(DecodeCp1250(Cp1250("č")), QString::fromUtf8("č"));
    EXPECT_EQ(Cp1250("č").at(0), char(0xE8));
}

// A text that windows-1250 cannot hold is never written with '?' for what does not fit: the
// whole text becomes UTF-8, marked by its byte order mark.
TEST(TextFile, TextBeyondWindows1250BecomesUtf8WithAByteOrderMark)
{
    TextEncoding encoding = TextEncoding::Windows1250;
    EXPECT_EQ(EncodeText(QString::fromUtf8("čeština"), encoding), Cp1250("čeština"));
    EXPECT_EQ(encoding, TextEncoding::Windows1250);
    const QString mixed = QString::fromUtf8("a中b€😀č кошка");
    EXPECT_EQ(EncodeText(mixed, encoding), "\xEF\xBB\xBF" + mixed.toUtf8());
    EXPECT_EQ(encoding, TextEncoding::Utf8WithBom);
    encoding = TextEncoding::Utf8;
    EXPECT_EQ(EncodeText(U("č"), encoding), U("č").toUtf8()) << "a UTF-8 file stays UTF-8";
    // A text beginning with U+FEFF gets a mark of its own, or the reader would take its first
    // character for the mark.
    const QString feff = QString(QChar(0xFEFF)) + QStringLiteral("(/");
    EXPECT_EQ(EncodeText(feff, encoding), "\xEF\xBB\xBF" + feff.toUtf8());
    EXPECT_EQ(encoding, TextEncoding::Utf8WithBom);
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF" + feff.toUtf8(), TextEncoding::Utf8WithBom), feff)
        << "the file's mark is taken off once, the text's U+FEFF stays";
    EXPECT_EQ(JoinLines({U("кошка")}), "\xEF\xBB\xBF" + U("кошка\r\n").toUtf8());
    // Windows-1250 bytes that would read back as UTF-8 ("ĹĽ" is "ż" there) are not written.
    encoding = TextEncoding::Windows1250;
    EXPECT_EQ(EncodeText(U("ĹĽ"), encoding), "\xEF\xBB\xBF" + U("ĹĽ").toUtf8());
    EXPECT_EQ(encoding, TextEncoding::Utf8WithBom);
}

struct DetectionCase
{
    const char *name;
    QByteArray bytes;
    TextEncoding encoding;

    friend void PrintTo(const DetectionCase &c, std::ostream *out) { *out << c.name; }
};

class DetectionTest : public testing::TestWithParam<DetectionCase>
{
};

// Whatever the encoding found, decoding and encoding in it gives the bytes back.
TEST_P(DetectionTest, FindsTheEncodingAndKeepsEveryByte)
{
    const DetectionCase &c = GetParam();
    EXPECT_EQ(DetectEncoding(c.bytes), c.encoding);
    TextEncoding encoding = c.encoding;
    EXPECT_EQ(EncodeText(DecodeText(c.bytes, c.encoding), encoding), c.bytes);
    EXPECT_EQ(encoding, c.encoding);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, DetectionTest,
    testing::Values(
        DetectionCase{"asciiOnly", "pes / Hund\r\n", TextEncoding::Windows1250},
        DetectionCase{"czechInWindows1250", Cp1250("kůň / s Pferd"), TextEncoding::Windows1250},
        DetectionCase{"utf8WithoutMark", U("кошка / kočka").toUtf8(), TextEncoding::Utf8},
        DetectionCase{"utf8WithMark", "\xEF\xBB\xBF" + U("perro / pes").toUtf8(),
                      TextEncoding::Utf8WithBom},
        DetectionCase{"markAlone", "\xEF\xBB\xBF", TextEncoding::Utf8WithBom},
        DetectionCase{"markBeforeWindows1250", "\xEF\xBB\xBF" + Cp1250("kůň"),
                      TextEncoding::Windows1250},
        // "ĹĽ" in windows-1250 is "ż" in UTF-8: such bytes are read as UTF-8, and kept.
        DetectionCase{"windows1250ThatIsValidUtf8", Cp1250("ĹĽ / x"), TextEncoding::Utf8},
        DetectionCase{"utf8CutInACharacter", U("kočk").toUtf8() + "\xC3",
                      TextEncoding::Windows1250}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TextFile, CapacitiesCountCharactersNotUnits)
{
    const QString smile = QString::fromUtf8("😀");
    EXPECT_EQ(LeftCharacters(smile + smile + QStringLiteral("ab"), 3),
              smile + smile + QStringLiteral("a"));
    EXPECT_EQ(LeftCharacters(smile, 0), QString());
    EXPECT_EQ(CharacterCount(smile + U("ж")), 2);
}

TEST(TextFile, SplitsCrLfBareLfAndALastLineWithoutEnding)
{
    EXPECT_EQ(SplitLines(QStringLiteral("a\r\nb\nc")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(SplitLines(QStringLiteral("a\r\n\r\n")),
              (QStringList{QStringLiteral("a"), QString()}));
    EXPECT_EQ(SplitLines(QStringLiteral("x\ry\r\n")), (QStringList{QStringLiteral("x\ry")}));
    EXPECT_TRUE(SplitLines(QString()).isEmpty());
}
