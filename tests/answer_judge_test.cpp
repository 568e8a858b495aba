#include "assessment/answer_judge.h"
#include "core/helpers.h"
#include "test_support.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>

namespace {

constexpr int wrong = NoCriterion;

struct JudgeCase
{
    const char *name;
    const char *typed;
    const char *side;
    AssessmentMode mode;
    int threshold;
    int criterion;
    const char *achieved; // as shown by FormatFixed; "" when wrong

    // The case's name in test output, instead of its bytes.
    friend void PrintTo(const JudgeCase &c, std::ostream *out) { *out << c.name; }
};

class JudgeAnswerTest : public testing::TestWithParam<JudgeCase>
{
};

TEST_P(JudgeAnswerTest, GivesTheCriterionAndPercentage)
{
    const JudgeCase &c = GetParam();
    const AssessmentResult result = JudgeTypedAnswer(
        QString::fromUtf8(c.typed), QString::fromUtf8(c.side), c.mode, c.threshold);
    EXPECT_EQ(result.criterion, c.criterion);
    EXPECT_EQ(result.correct(), c.criterion != wrong);
    if (result.correct())
        EXPECT_EQ(FormatFixed(result.achieved), QString::fromLatin1(c.achieved));
}

constexpr auto exact = AssessmentMode::ExactMatch;
constexpr auto percent = AssessmentMode::PercentMatch;

INSTANTIATE_TEST_SUITE_P(
    Examples, JudgeAnswerTest,
    testing::Values(
        JudgeCase{"blanksIgnored", "  das  Haus ", "das Haus", exact, 90, 0, "100.00"},
        JudgeCase{"shortAlternative", "  das  Haus ", "s Haus", percent, 90, wrong, ""},
        JudgeCase{"diacriticsKeepCase", "KOČKA", "kočka", percent, 0, wrong, ""},
        JudgeCase{"diacriticsKeepCaseExact", "KOČKA", "kočka", exact, 90, wrong, ""},
        JudgeCase{"secondSynonym", "Weise", "klug, weise", exact, 90, 0, "100.00"},
        JudgeCase{"ending", "studená", "studen[ý|á|é]", exact, 90, 0, "100.00"},
        JudgeCase{"endingCaseRejected", "STUDENÁ", "studen[ý|á|é]", percent, 90, wrong, ""},
        JudgeCase{"endingCaseAt85", "STUDENÁ", "studen[ý|á|é]", percent, 85, 2, " 85.71"},
        JudgeCase{"endingCaseExact", "STUDENÁ", "studen[ý|á|é]", exact, 0, wrong, ""},
        JudgeCase{"swap", "Krankenhuas", "Krankenhaus", percent, 90, 1, " 90.91"},
        JudgeCase{"swapOnlyCounts", "rkxxxxxxxxx", "Krankenhaus", percent, 90, 1, " 90.91"},
        JudgeCase{"oneWrong", "Krankenhaux", "Krankenhaus", percent, 90, 2, " 90.91"},
        JudgeCase{"oneMissing", "Krankenhau", "Krankenhaus", percent, 90, 6, " 90.91"},
        JudgeCase{"oneExtra", "Krankenhauss", "Krankenhaus", percent, 90, 5, " 91.67"},
        JudgeCase{"twoWrong", "Krenkenhaux", "Krankenhaus", percent, 80, 3, " 81.82"},
        JudgeCase{"twoWrongAt90", "Krenkenhaux", "Krankenhaus", percent, 90, wrong, ""},
        JudgeCase{"threeWrongAt70", "Krenkenhoux", "Krankenhaus", percent, 70, 4, " 72.73"},
        JudgeCase{"threeWrongAt75", "Krenkenhoux", "Krankenhaus", percent, 75, wrong, ""},
        JudgeCase{"twoMissingTogether", "Krankhaus", "Krankenhaus", percent, 80, 6, " 81.82"},
        JudgeCase{"twoMissingApart", "Krnkenhas", "Krankenhaus", percent, 80, wrong, ""},
        JudgeCase{"equalToThreshold", "abcdefghiX", "abcdefghij", percent, 90, 2, " 90.00"},
        JudgeCase{"thresholdZeroEqualLength", "zzzzzz", "abcdef", percent, 0, 1, "  0.00"},
        JudgeCase{"thresholdZeroEmptyAnswer", "", "abcdef", percent, 0, 5, "  0.00"},
        JudgeCase{"emptyAnswerAt1", "", "abcdef", percent, 1, wrong, ""},
        JudgeCase{"sixCharactersGetCriteria", "abcdex", "abcdef", percent, 80, 2, " 83.33"},
        JudgeCase{"fiveCharactersDoNot", "abcdx", "abcde", percent, 0, wrong, ""},
        JudgeCase{"cutTo25", "abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrstuvwxy", exact, 90,
                  0, "100.00"},
        JudgeCase{"lostBeyond25Exact", "der Eisschrank", "der Kühlschrank, der Eisschrank", exact,
                  90, wrong, ""},
        JudgeCase{"lostBeyond25Percent", "der Eisschrank", "der Kühlschrank, der Eisschrank",
                  percent, 90, wrong, ""},
        JudgeCase{"lostBeyond25At75", "der Eisschrank", "der Kühlschrank, der Eisschrank", percent,
                  75, 5, " 76.92"},
        JudgeCase{"emptySide", "x", " , ", percent, 0, wrong, ""},
        JudgeCase{"emptyBoth", "", "", exact, 90, wrong, ""},
        JudgeCase{"earlierCriterionWinsOverLaterExact", "abcdeX", "abcdef, abcdeX", percent, 80, 2,
                  " 83.33"},
        JudgeCase{"exactWinsWithinOneAlternative", "abcdef", "abcdef", percent, 100, 0, "100.00"},
        // clang-format off
        // Characters outside the basic plane count once, in the criteria and the minimum length.
        JudgeCase{"outsideTheBasicPlaneCountsOnce", "😀œñàõ", "😀œñàõb", percent, 80, 6, " 83.33"},
        JudgeCase{"oneWrongBesideAnEmoji", "abcdeX", "abcde😀", percent, 80, 2, " 83.33"},
        JudgeCase{"fiveEmojisAreFiveCharacters", "😀😀😀😀x", "😀😀😀😀😀", percent, 0, wrong, ""},
        // Both texts are composed the same way: a compatibility ideograph typed as stored.
        JudgeCase{"compatibilityIdeographTypedExactly", "\xEF\xA4\x87", "\xEF\xA4\x87", exact, 90, 0, "100.00"}),
    // clang-format on
    [](const auto &info) { return std::string(info.param.name); });

TEST(NormalizeAnswer, UpperCasesOnlyAsciiAndRemovesOnlyBlanks)
{
    EXPECT_EQ(NormalizeAnswer(QString::fromUtf8(" der große\tHund ž ")),
              QString::fromUtf8("DERGROßE\tHUNDž"));
    EXPECT_EQ(NormalizeAnswer(QStringLiteral("azAZ09 {}")), QStringLiteral("AZAZ09{}"));
}

// The two texts compare equal once the given positions (from 1) of both are blanked: the
// literal form of criteria 2 to 4.
bool MatchesWithBlanks(const QString &answer, const QString &alternative,
                       std::initializer_list<int> positions)
{
    QString a = answer;
    QString v = alternative;
    for (int position : positions) {
        if (position >= 1 && position <= a.size())
            a[position - 1] = QLatin1Char(' ');
        if (position >= 1 && position <= v.size())
            v[position - 1] = QLatin1Char(' ');
    }
    return a == v;
}

// The judge counts differing positions instead of trying every set of blanked positions.
// This compares it with the literal search over all sets on random texts of few letters.
TEST(JudgeAnswer, EqualLengthCriteriaAgreeWithTheSearchOverBlankedPositions)
{
    QRandomGenerator random(7);
    for (int round = 0; round < 3000; ++round) {
        const int length = 6 + int(random.bounded(5));
        QString v;
        for (int i = 0; i < length; ++i)
            v += QChar('A' + random.bounded(3));
        QString a = v;
        const int changes = int(random.bounded(6));
        for (int i = 0; i < changes; ++i)
            a[random.bounded(length)] = QChar('A' + random.bounded(3));
        if (a == v)
            continue;

        bool found2 = false, found3 = false, found4 = false;
        for (int i = 1; i <= length; ++i)
            found2 = found2 || MatchesWithBlanks(a, v, {i});
        for (int i = 1; i < length && !found2; ++i)
            for (int j = i + 1; j <= length; ++j)
                found3 = found3 || MatchesWithBlanks(a, v, {i, j});
        for (int i = 1; i < length - 1 && !found2 && !found3; ++i)
            for (int j = i + 1; j < length; ++j)
                for (int k = j + 1; k <= length; ++k)
                    found4 = found4 || MatchesWithBlanks(a, v, {i, j, k});

        int swaps = 0;
        for (int i = 0; i + 1 < length; ++i)
            swaps += a[i] == v[i + 1] && a[i + 1] == v[i] && a[i] != a[i + 1];
        const double score1 = swaps ? (length - swaps) * 100.0 / length : 0;
        const int count2 = found2 ? length - 1 : 0;
        const int count3 = found2 ? count2 : (found3 ? length - 2 : 0);
        const int count4 = found2 || found3 ? count3 : (found4 ? length - 3 : 0);

        for (int threshold : {50, 60, 67, 75, 80, 84, 90}) {
            int expected = NoCriterion;
            if (threshold <= score1)
                expected = 1;
            else if (threshold <= count2 * 100.0 / length)
                expected = 2;
            else if (threshold <= count3 * 100.0 / length)
                expected = 3;
            else if (threshold <= count4 * 100.0 / length)
                expected = 4;
            ASSERT_EQ(JudgeAnswer(a, v, AssessmentMode::PercentMatch, threshold).criterion,
                      expected)
                << a.toStdString() << " / " << v.toStdString() << " at " << threshold;
        }
    }
}

} // namespace

namespace {

// Criterion 5 as first written: the longest piece of the answer, shorter than the answer and
// longer than half of it, that occurs in the alternative, found by trying every piece.
qsizetype literalPieceCount(const QString &a, const QString &v)
{
    for (qsizetype m = a.size() - 1; m >= a.size() / 2 + 1; --m) {
        for (qsizetype s = 0; s + m <= a.size(); ++s) {
            if (v.contains(QStringView(a).mid(s, m)))
                return m;
        }
    }
    return 0;
}

// Criterion 6 as first written: the texts agree once one run of at most three characters is
// taken out of the longer one.
qsizetype literalGapCount(const QString &a, const QString &v)
{
    const QString &longer = v.size() > a.size() ? v : a;
    const QString &shorter = v.size() > a.size() ? a : v;
    const qsizetype gap = longer.size() - shorter.size();
    if (gap > 3)
        return 0;
    for (qsizetype s = 0; s <= shorter.size(); ++s) {
        if (QString(longer).remove(s, gap) == shorter)
            return shorter.size();
    }
    return 0;
}

TEST(JudgeAnswer, DifferentLengthCriteriaAgreeWithTheLiteralSearches)
{
    QRandomGenerator random(5);
    for (int round = 0; round < 3000; ++round) {
        QString v;
        const int length = 6 + int(random.bounded(20));
        for (int i = 0; i < length; ++i)
            v += QChar('A' + random.bounded(3));
        QString a = v.mid(int(random.bounded(4)), int(random.bounded(length + 4)));
        for (int i = int(random.bounded(4)); i > 0 && !a.isEmpty(); --i)
            a[random.bounded(a.size())] = QChar('A' + random.bounded(4));
        if (a.size() == v.size() || a.isEmpty() || a == v)
            continue;
        const double longer = double(std::max(a.size(), v.size()));
        const double score5 = literalPieceCount(a, v) * 100.0 / longer;
        const double score6 = literalGapCount(a, v) * 100.0 / longer;
        for (int threshold : {30, 50, 67, 75, 80, 90}) {
            int expected = NoCriterion;
            if (threshold <= score5)
                expected = 5;
            else if (threshold <= score6)
                expected = 6;
            ASSERT_EQ(JudgeAnswer(a, v, AssessmentMode::PercentMatch, threshold).criterion,
                      expected)
                << a.toStdString() << " / " << v.toStdString() << " at " << threshold;
        }
    }
}

// Only the compared characters of a typed answer are normalised; the result must be that of
// normalising the whole text, blanks and combining marks anywhere.
TEST(ComparedAnswer, EqualsTheWholeTextNormalisedAndCut)
{
    const QString pieces[] = {QStringLiteral("a"),
                              QStringLiteral(" "),
                              QStringLiteral("Z"),
                              QString::fromUtf8("\xCC\x8C"),
                              QString::fromUtf8("\xCC\x81"),
                              QString::fromUtf8("ž"),
                              QString::fromUtf8("и\xCC\x86"),
                              QString::fromUtf8("한"),
                              QString::fromUtf8("\xE1\x85\xA1"),
                              QStringLiteral("     ")};
    QRandomGenerator random(3);
    for (int round = 0; round < 2000; ++round) {
        QString typed;
        const int count = int(random.bounded(200));
        for (int i = 0; i < count; ++i)
            typed += pieces[random.bounded(int(std::size(pieces)))];
        const QString whole = NormalizeAnswer(typed.normalized(QString::NormalizationForm_C))
                                  .left(CompareTextCapacity);
        ASSERT_EQ(ComparedAnswer(typed), whole) << typed.toStdString();
    }
}

TEST(LongestCommonSubstring, FindsTheLongestSharedRun)
{
    EXPECT_EQ(LongestCommonSubstring(u"", u"abc"), 0);
    EXPECT_EQ(LongestCommonSubstring(u"xabcy", u"zzabcz"), 3);
    EXPECT_EQ(LongestCommonSubstring(u"abab", u"baba"), 3);
    const QString longText(100, QLatin1Char('q'));
    EXPECT_EQ(LongestCommonSubstring(longText, longText), 100) << "beyond the row on the stack";
}

} // namespace

namespace {

// The same words written in another script, letter for letter (capitals: only a to z are
// upper-cased, as ever).
QString inScript(const QString &latin, char16_t firstCapital, char16_t skip = 0)
{
    QString mapped;
    for (QChar c : latin) {
        char16_t letter = char16_t(firstCapital + (c.unicode() - 'A'));
        if (skip && letter >= skip)
            ++letter; // a gap in the alphabet's block
        mapped += c.isUpper() ? QChar(letter) : c;
    }
    return mapped;
}

// The criteria count the characters of any script as they count Latin letters.
TEST(JudgeAnswer, CyrillicGreekAndSpanishTyposGetTheCriteriaOfLatinOnes)
{
    const std::pair<const char *, const char *> typos[]
        = {{"KRANKENHAUS", "KRANKENHUAS"},   // neighbours swapped
           {"KRANKENHAUS", "KRANKENHAUW"},   // one wrong
           {"KRANKENHAUS", "KRANKWNHAUW"},   // two wrong
           {"KRANKENHAUS", "KWANKWNHAUW"},   // three wrong
           {"KRANKENHAUS", "KRANKENHA"},     // a piece
           {"KRANKENHAUS", "KRANKHAUS"},     // two missing
           {"KRANKENHAUS", "KRANKENHAUSES"}, // two extra
           {"FENSTER, OKNO[A|E]", "OKNE"},   {"FENSTER, OKNO[A|E]", "OKNU"}};
    for (const auto &[expected, typed] : typos) {
        for (int threshold : {50, 75, 90}) {
            const AssessmentResult latin
                = JudgeTypedAnswer(QLatin1String(typed), QLatin1String(expected),
                                   AssessmentMode::PercentMatch, threshold);
            // Cyrillic capitals from А; Greek capitals from Α, skipping the unassigned U+03A2.
            for (const auto &[first, skip] : {std::pair<char16_t, char16_t>{0x0410, 0},
                                              std::pair<char16_t, char16_t>{0x0391, 0x03A2}}) {
                const AssessmentResult other
                    = JudgeTypedAnswer(inScript(QLatin1String(typed), first, skip),
                                       inScript(QLatin1String(expected), first, skip),
                                       AssessmentMode::PercentMatch, threshold);
                EXPECT_EQ(other.criterion, latin.criterion) << expected << " / " << typed;
                EXPECT_EQ(other.achieved, latin.achieved) << expected << " / " << typed;
            }
        }
    }
    // Spanish: letters with marks are letters like any other; their case matters, as in Czech.
    const auto judge = [](const char *typed, const char *expected) {
        return JudgeTypedAnswer(U(typed), U(expected), AssessmentMode::PercentMatch, 80).criterion;
    };
    EXPECT_EQ(judge("mañnaa", "mañana"), judge("maqnaa", "maqana"));
    EXPECT_EQ(judge("corazon", "corazón"), 2) << "one letter without its mark";
    EXPECT_EQ(judge("¿qué tal?", "¿qué tal?"), 0);
    EXPECT_EQ(judge("CORAZÓN", "corazón"), 2) << "Ó is not ó, as Č is not č";
    EXPECT_EQ(judge("ЗДРАВСТВУИТЕ", "здравствуйте"), NoCriterion) << "Cyrillic case matters";
    EXPECT_EQ(judge("здравствуите", "здравствуйте"), 2);
}

} // namespace
