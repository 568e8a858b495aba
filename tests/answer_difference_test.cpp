#include "assessment/answer_difference.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <ostream>

namespace {

// A marked text in a short notation: [wrong], ^ a gap, ~surplus~, _lacking_.
QString notation(const MarkedText &text)
{
    QString written;
    for (const MarkedPiece &piece : text.pieces) {
        switch (piece.mark) {
        case DifferenceMark::Same:
            written += piece.text;
            break;
        case DifferenceMark::Wrong:
            written += QLatin1Char('[') + piece.text + QLatin1Char(']');
            break;
        case DifferenceMark::Gap:
            written += QLatin1Char('^');
            break;
        case DifferenceMark::Surplus:
            written += QLatin1Char('~') + piece.text + QLatin1Char('~');
            break;
        case DifferenceMark::Lacking:
            written += QLatin1Char('_') + piece.text + QLatin1Char('_');
            break;
        }
    }
    return written;
}

struct DifferenceCase
{
    const char *name;
    const char *typed;
    const char *side;
    int edits;
    const char *typedView;
    const char *typedSays;
    const char *expectedView;
    const char *expectedSays;

    friend void PrintTo(const DifferenceCase &c, std::ostream *out) { *out << c.name; }
};

class DescribeDifferenceTest : public testing::TestWithParam<DifferenceCase>
{
};

TEST_P(DescribeDifferenceTest, MarksTheAnswerAndTheClosestAlternative)
{
    const DifferenceCase &c = GetParam();
    const std::optional<AnswerDifference> difference = DescribeDifference(
        QString::fromUtf8(c.typed), QString::fromUtf8(c.side), AssessmentMode::ExactMatch);
    ASSERT_TRUE(difference.has_value());
    EXPECT_EQ(difference->edits, c.edits);
    EXPECT_EQ(notation(difference->typed), QString::fromUtf8(c.typedView));
    EXPECT_EQ(difference->typed.description, QString::fromUtf8(c.typedSays));
    EXPECT_EQ(notation(difference->expected), QString::fromUtf8(c.expectedView));
    EXPECT_EQ(difference->expected.description, QString::fromUtf8(c.expectedSays));
    EXPECT_FALSE(difference->achieved.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Alignments, DescribeDifferenceTest,
    testing::Values(
        // clang-format off
        DifferenceCase{"swap", "Krankenhuas", "Krankenhaus", 1, "Krankenh[ua]s", "písmena 'ua' jsou prohozená", "Krankenh[au]s", "místo 'ua' je 'au'"},
        DifferenceCase{"wrongLetter", "Krankenhaux", "Krankenhaus", 1, "Krankenhau[x]", "písmeno 'x' je špatně", "Krankenhau[s]", "místo 'x' je 's'"},
        DifferenceCase{"missingAtEnd", "Lehre", "Lehrer", 1, "Lehre^", "chybí písmeno za 'Lehre'", "Lehre_r_", "chybí 'r' za 'Lehre'"},
        DifferenceCase{"missingAtStart", "aus", "Haus", 1, "^aus", "chybí písmeno na začátku", "_H_aus", "chybí 'H' na začátku"},
        DifferenceCase{"twoMissing", "Krankhaus", "Krankenhaus", 2, "Krank^^haus", "chybí 2 písmena za 'Krank'", "Krank_en_haus", "chybí 'en' za 'Krank'"},
        DifferenceCase{"nothingTyped", "", "Haus", 4, "^^^^", "chybí 4 písmena na začátku", "_Haus_", "chybí 'Haus' na začátku"},
        DifferenceCase{"surplus", "Krankenhauss", "Krankenhaus", 1, "Krankenhau~s~s", "písmeno 's' je navíc", "Krankenhau~s~s", "písmeno 's' je navíc"},
        DifferenceCase{"caseAndBlanksAsJudged", "das  hous", "Das Haus", 1, "das  h[o]us", "písmeno 'o' je špatně", "Das H[a]us", "místo 'o' je 'a'"},
        DifferenceCase{"accentKeepsItsCase", "KOČKA", "kočka", 1, "KO[Č]KA", "písmeno 'Č' je špatně", "ko[č]ka", "místo 'Č' je 'č'"},
        DifferenceCase{"blankInTheSide", "der Hnd", "der Hund", 1, "der H^nd", "chybí písmeno za 'der H'", "der H_u_nd", "chybí 'u' za 'der H'"},
        DifferenceCase{"closestEnding", "studrné", "studen[ý|á|é]", 1, "stud[r]né", "písmeno 'r' je špatně", "stud[e]né", "místo 'r' je 'e'"},
        DifferenceCase{"firstOfEqualEndings", "studenu", "studen[ý|á|é]", 1, "studen[u]", "písmeno 'u' je špatně", "studen[ý]", "místo 'u' je 'ý'"},
        DifferenceCase{"closestSynonym", "wiese", "klug, weise", 1, "w[ie]se", "písmena 'ie' jsou prohozená", "w[ei]se", "místo 'ie' je 'ei'"},
        DifferenceCase{"emojiIsOneLetter", "🐶 kočka", "🐱 kočka", 1, "[🐶] kočka", "písmeno '🐶' je špatně", "[🐱] kočka", "místo '🐶' je '🐱'"},
        DifferenceCase{"combiningStressMissing", "молоко", "молоко́", 1, "молок[о]", "písmeno 'о' je špatně", "молок[о́]", "místo 'о' je 'о́'"},
        DifferenceCase{"combiningMarkWrong", "рука̀", "рука́", 1, "рук[а̀]", "písmeno 'а̀' je špatně", "рук[а́]", "místo 'а̀' je 'а́'"},
        DifferenceCase{"skinToneWrong", "👍", "👍🏽", 1, "[👍]", "písmeno '👍' je špatně", "[👍🏽]", "místo '👍' je '👍🏽'"},
        DifferenceCase{"decomposedAccent", "koc\xcc\x8cky", "kočka", 1, "kočk[y]", "písmeno 'y' je špatně", "kočk[a]", "místo 'y' je 'a'"},
        DifferenceCase{"onlyComparedLettersMarked", "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFG", "abcdefghijklmnopqrstuvwxq", 1, "abcdefghijklmnopqrstuvwx[y]z0123456789A…", "písmeno 'y' je špatně", "abcdefghijklmnopqrstuvwx[q]", "místo 'y' je 'q'"},
        DifferenceCase{"sideCutAsJudged", "der Eisschrank", "der Kühlschrank, der Eisschrank", 3, "der Eisschr~ank~", "písmena 'ank' jsou navíc", "der Eisschr~ank~", "písmena 'ank' jsou navíc"} // clang-format on
        ),
    [](const testing::TestParamInfo<DifferenceCase> &info) { return info.param.name; });

TEST(DescribeDifference, GivesNothingForASideWithoutAlternatives)
{
    EXPECT_FALSE(DescribeDifference(QStringLiteral("abc"), QStringLiteral(" , "),
                                    AssessmentMode::PercentMatch));
}

struct ClosenessCase
{
    const char *typed;
    const char *side;
    int threshold;
    const char *says;
};

TEST(DescribeDifference, SaysHowCloseTheClosestAlternativeCame)
{
    const ClosenessCase cases[] = {
        {"Krankenhau", "Krankenhaus", 95, "shoda 90.91 % — potřeba 95 %"},
        {"Krenkenhoux", "Krankenhaus", 75, "shoda 72.73 % — potřeba 75 %"},
        {"Krnkenhas", "Krankenhaus", 90, "shoda 54.55 % — potřeba 90 %"},
        {"Hnd", "klug, Hund", 90, "kratší než 6 písmen: potřeba úplná shoda"},
    };
    for (const ClosenessCase &c : cases) {
        const std::optional<AnswerDifference> difference = DescribeDifference(
            QString::fromUtf8(c.typed), QString::fromUtf8(c.side), AssessmentMode::PercentMatch);
        ASSERT_TRUE(difference.has_value()) << c.typed;
        EXPECT_EQ(ClosenessText(*difference, c.threshold), QString::fromUtf8(c.says)) << c.typed;
    }
}

} // namespace

namespace {

// The edits an alignment's steps make: a swapped pair is two steps and one edit.
int editsOfSteps(const Alignment &alignment)
{
    int edits = 0;
    int swapped = 0;
    for (const AlignedStep &step : alignment.steps) {
        if (step.kind == AlignedStep::Swapped)
            ++swapped;
        else if (step.kind != AlignedStep::Same)
            ++edits;
    }
    return edits + swapped / 2;
}

// The distance that picks the closest alternative and the table that aligns it are two ways of
// counting; on random texts of few letters, with repeats and swaps, they agree, and the steps
// spell both texts.
TEST(AlignWithClosest, TheDistanceAndTheStepsAgreeOnRandomTexts)
{
    QRandomGenerator random(20261207);
    const QString letters = QStringLiteral("abcč🐱");
    const auto randomText = [&](int longest) {
        QString text;
        const int length = int(random.bounded(longest + 1));
        for (int i = 0; i < length; ++i) {
            const int k = int(random.bounded(4));
            text += k == 3 ? letters.mid(4, 2) : letters.mid(k, 1);
        }
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const QString answer = randomText(round % 2 ? 12 : 70);
        const QString alternative = randomText(12);
        const Alignment alignment = AlignWithClosest(answer, {alternative});
        ASSERT_EQ(alignment.closest, 0);
        ASSERT_EQ(alignment.edits, editsOfSteps(alignment))
            << answer.toStdString() << " / " << alternative.toStdString();
        QList<uint> typed;
        QList<uint> expected;
        for (const AlignedStep &step : alignment.steps) {
            if (step.typed >= 0)
                typed.append(answer.toUcs4().at(step.typed));
            if (step.expected >= 0)
                expected.append(alternative.toUcs4().at(step.expected));
        }
        ASSERT_EQ(typed, answer.toUcs4());
        ASSERT_EQ(expected, alternative.toUcs4());
    }
}

TEST(AlignWithClosest, TakesTheFewestEditsAndTheFirstOfEquals)
{
    const QStringList alternatives{QStringLiteral("KLUG"), QStringLiteral("WEISE"),
                                   QStringLiteral("WIESEN"), QStringLiteral("WEISS")};
    const Alignment alignment = AlignWithClosest(QStringLiteral("WIESE"), alternatives);
    EXPECT_EQ(alignment.closest, 1) << "a swap is one edit, as is the letter WIESEN lacks";
    EXPECT_EQ(alignment.edits, 1);
    EXPECT_EQ(AlignWithClosest(QStringLiteral("X"), {}).closest, -1);
}

} // namespace
