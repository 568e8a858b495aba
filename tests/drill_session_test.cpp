#include "core/helpers.h"
#include "drill/drill_session.h"
#include "settings/settings.h"
#include "test_support.h"
#include "vocabulary/current_dictionary.h"
#include "vocabulary/vocabulary_file.h"

#include <QSet>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <ostream>

#include <initializer_list>

namespace {

// A drill over dictionary lines (given in UTF-8), from a fresh random generator.
class DrillSessionTest : public testing::Test
{
protected:
    void load(std::initializer_list<const char *> lines)
    {
        for (const char *line : lines)
            vocabulary.entries.append(ParseVocabularyLine(U(line), false).entry);
        ResetRandomState();
    }
    // Offers the next pair and answers it as typed.
    Verdict answerNext(const QString &typed)
    {
        session.offerNextPair();
        return session.checkAnswer(typed);
    }
    const VocabularyEntry &pair(int position) const { return vocabulary.at(position); }

    // Offers the given side from now on, as the settings window does.
    void offerSide(int side)
    {
        settings.sideChoice = SideChoice(side - 1);
        session.applySettings();
    }

    CurrentDictionary dictionary;
    Vocabulary &vocabulary = dictionary.vocabulary();
    Settings settings;
    DrillSession session{dictionary, settings};
};

TEST_F(DrillSessionTest, BeforeTheFirstPairNothingCanBeAnsweredOrRevealed)
{
    EXPECT_FALSE(session.canOffer());
    load({"pes / r Hund"});
    EXPECT_TRUE(session.canOffer());
    EXPECT_FALSE(session.hasPair());
    EXPECT_FALSE(session.checkAnswer(QStringLiteral("r Hund")).judged);
    EXPECT_TRUE(session.revealAndCount().isEmpty());
    EXPECT_TRUE(session.revealWithoutCounting().isEmpty());
    EXPECT_TRUE(session.showExpectedSide().isEmpty());
    EXPECT_EQ(session.state().wrongCount, 0);
    EXPECT_EQ(pair(1).offers[1], 0);
}

TEST_F(DrillSessionTest, OfferingShowsTheSideWithItsCommentAndCountsNothing)
{
    load({"kalt {kchalt} / studen[ý|á|é]"});
    const OfferedPair offered = session.offerNextPair();
    EXPECT_EQ(offered.text, U("kalt ")) << "the side as stored, blank before the comment";
    EXPECT_EQ(offered.comment, U("kchalt"));
    EXPECT_FALSE(offered.tooManyAlternatives);
    EXPECT_EQ(session.state().currentPosition, 1);
    EXPECT_EQ(session.answerState(), AnswerState::Unanswered);

    offerSide(2);
    const OfferedPair other = session.offerNextPair();
    EXPECT_TRUE((QStringList{U("studený"), U("studená"), U("studené")}).contains(other.text));
    EXPECT_TRUE(other.comment.isEmpty());
    EXPECT_EQ(pair(1).offers[1] + pair(1).offers[2], 0);
}

TEST_F(DrillSessionTest, MoreThanThirtyAlternativesAreReported)
{
    // 31 empty endings give 31 alternatives within the 50 characters of a side.
    load({"x[||||||||||||||||||||||||||||||] / b"});
    EXPECT_TRUE(session.offerNextPair().tooManyAlternatives);
}

TEST_F(DrillSessionTest, AJudgedAnswerCountsInThePairAndInTheRun)
{
    load({"kočka / Katze"});
    const Verdict wrong = answerNext(QStringLiteral("Hund"));
    EXPECT_TRUE(wrong.judged);
    EXPECT_FALSE(wrong.correct);
    EXPECT_EQ(session.answerState(), AnswerState::Wrong);

    // A wrong answer corrected and entered again counts twice.
    const Verdict right = session.checkAnswer(QStringLiteral("Katze"));
    EXPECT_TRUE(right.correct);
    EXPECT_EQ(right.criterion, 0);
    EXPECT_EQ(right.achieved, 100.0);
    EXPECT_EQ(session.answerState(), AnswerState::Correct);
    EXPECT_EQ(session.state().correctCount, 1);
    EXPECT_EQ(session.state().wrongCount, 1);
    EXPECT_EQ(pair(1).offers[1], 2);
    EXPECT_EQ(pair(1).errors[1], 1);
    EXPECT_EQ(pair(1).offers[2], 0);
}

TEST_F(DrillSessionTest, PassingPairsOverCountsNothing)
{
    load({"a / b", "c / d", "e / f"});
    for (int i = 0; i < 5; ++i)
        session.offerNextPair();
    EXPECT_EQ(session.state().correctCount + session.state().wrongCount, 0);
    for (const VocabularyEntry &entry : vocabulary.entries)
        EXPECT_EQ(entry.offers[1] + entry.offers[2], 0);
}

TEST_F(DrillSessionTest, TypedAnswersAreJudgedComposedAndUnderTheCurrentSettings)
{
    load({"e Katze / kočka", "s Krankenhaus / nemocnice"});
    settings.sideChoice = SideChoice::First;
    session.offerNextPair();
    EXPECT_TRUE(session
                    .checkAnswer(QString::fromUtf8("koc\xCC\x8C"
                                                   "ka"))
                    .correct)
        << "c with a combining caron is č";

    settings.assessment = AssessmentMode::PercentMatch;
    settings.threshold = 80;
    session.offerNextPair();
    ASSERT_EQ(session.state().currentPosition, 2);
    const Verdict verdict = session.checkAnswer(QStringLiteral("nemocinca"));
    EXPECT_TRUE(verdict.correct);
    EXPECT_EQ(verdict.criterion, 1);
    EXPECT_NEAR(verdict.achieved, 88.89, 0.005);
    EXPECT_EQ(verdict.threshold, 80);
    settings.threshold = 90;
    EXPECT_FALSE(session.checkAnswer(QStringLiteral("nemocinca")).correct);
}

TEST_F(DrillSessionTest, RevealingInTheAnswerFieldCountsWrongEveryTime)
{
    load({"jemný / zart, fein"});
    session.offerNextPair();
    EXPECT_EQ(session.revealAndCount(), U("zart, fein")) << "the side exactly as stored";
    EXPECT_EQ(session.answerState(), AnswerState::Revealed);
    EXPECT_EQ(session.state().wrongCount, 1);
    EXPECT_EQ(pair(1).offers[1], 1);
    EXPECT_EQ(pair(1).errors[1], 1);

    // After a reveal Enter judges nothing until the next pair.
    const Verdict verdict = session.checkAnswer(QStringLiteral("zart"));
    EXPECT_FALSE(verdict.judged);
    EXPECT_EQ(session.state().correctCount, 0);
    EXPECT_EQ(session.answerState(), AnswerState::Unanswered);

    session.revealAndCount();
    EXPECT_EQ(session.state().wrongCount, 2);
    session.offerNextPair();
    EXPECT_TRUE(session.checkAnswer(QStringLiteral("fein")).judged);
}

TEST_F(DrillSessionTest, RevealingOnTheButtonCountsNothingAndShowsNoComment)
{
    load({"kalt {kchalt} / studen[ý|á|é]"});
    offerSide(2);
    answerNext(QStringLiteral("x"));
    EXPECT_EQ(session.revealWithoutCounting(), U("kalt "));
    EXPECT_EQ(session.answerState(), AnswerState::Revealed);
    EXPECT_EQ(session.state().wrongCount, 1);
    EXPECT_EQ(pair(1).offers[2], 1);
    EXPECT_FALSE(session.checkAnswer(QStringLiteral("kalt")).judged);
}

TEST_F(DrillSessionTest, TheExpectedSideShownByDoubleClickIsJudgedLikeATypedAnswer)
{
    load({"sedět / sitzen"});
    session.offerNextPair();
    const QString shown = session.showExpectedSide();
    EXPECT_EQ(shown, U("sitzen"));
    EXPECT_EQ(session.answerState(), AnswerState::Unanswered);
    EXPECT_EQ(session.state().wrongCount, 0);
    EXPECT_TRUE(session.checkAnswer(shown).correct);
    EXPECT_EQ(session.state().correctCount, 1);
}

struct NoteStep
{
    const char *action;
    const char *typed;
    const char *spoken; // the line under the answer in words; empty: hidden
};

TEST_F(DrillSessionTest, TheLineUnderTheAnswerFollowsTheAnswer)
{
    load({"nemocnice / Krankenhaus"});
    settings.showDifference = true;
    session.offerNextPair();
    const NoteStep steps[] = {
        // clang-format off
        {"enter", "Krankenhuas", "písmena 'ua' jsou prohozená"},
        {"button F1", "", "místo 'ua' je 'au'"},
        {"next", "", ""},
        {"enter", "Krankenhaus", ""},
        {"enter", "Krankenhau", "chybí písmeno za 'Krankenhau'"},
        {"double click", "", "chybí 's' za 'Krankenhau'"},
        {"edit", "", ""},
        {"double click", "", ""},
        {"enter", "Krankenhau", "chybí písmeno za 'Krankenhau'"},
        {"key", "x", ""},
        {"button F1", "", ""},
        {"next", "", ""},
        {"field F1", "Krankenhaux", "místo 'x' je 's'"},
        {"next", "", ""},
        {"field F1", "  ", "chybí 'Krankenhaus' na začátku"},
        {"next", "", ""},
        {"percent", "", ""},
        {"enter", "Krankenhau", "chybí písmeno za 'Krankenhau'; shoda 90.91 % — potřeba 95 %"},
        {"off", "", ""},
        {"enter", "Krankenhau", ""},
        // clang-format on
    };
    for (const NoteStep &step : steps) {
        const QString action = QString::fromLatin1(step.action);
        const QString typed = U(step.typed);
        if (action == QStringLiteral("enter"))
            session.checkAnswer(typed);
        else if (action == QStringLiteral("button F1"))
            session.revealWithoutCounting();
        else if (action == QStringLiteral("field F1"))
            session.revealAndCount(typed);
        else if (action == QStringLiteral("double click"))
            session.showExpectedSide();
        else if (action == QStringLiteral("edit"))
            session.answerEdited();
        else if (action == QStringLiteral("key"))
            session.startNewAnswer(typed);
        else if (action == QStringLiteral("next"))
            session.offerNextPair();
        else if (action == QStringLiteral("percent")) {
            settings.assessment = AssessmentMode::PercentMatch;
            settings.threshold = 95;
            session.applySettings();
        } else if (action == QStringLiteral("off")) {
            settings.showDifference = false;
            session.applySettings();
        }
        EXPECT_EQ(session.answerNote().spoken(), U(step.spoken))
            << step.action << " " << step.typed;
        EXPECT_EQ(session.answerNote().isEmpty(), *step.spoken == 0) << step.action;
    }
}

TEST_F(DrillSessionTest, TheAnswerCommentComesAfterARightAnswerARevealOrAlways)
{
    load({"kalt {kchalt} / studen[ý|á|é]"});
    offerSide(2);
    // Every new pair starts without an answer comment on show.
    answerNext(QStringLiteral("warm"));
    EXPECT_TRUE(session.answerComment().isEmpty());
    answerNext(QStringLiteral("kalt"));
    EXPECT_EQ(session.answerComment(), U("kchalt"));
    session.offerNextPair();
    EXPECT_TRUE(session.answerComment().isEmpty());
    session.revealAndCount();
    EXPECT_EQ(session.answerComment(), U("kchalt"));
    session.offerNextPair();
    session.showExpectedSide();
    EXPECT_EQ(session.answerComment(), U("kchalt"));

    settings.commentAfterWrongAnswer = true;
    answerNext(QStringLiteral("warm"));
    EXPECT_EQ(session.answerComment(), U("kchalt"));
    session.offerNextPair();
    session.revealWithoutCounting();
    EXPECT_TRUE(session.answerComment().isEmpty()) << "F1 on the button shows no comment";
    session.checkAnswer(QStringLiteral("kalt"));
    EXPECT_EQ(session.answerComment(), U("kchalt"))
        << "nothing judged after a reveal, but the comment is always wanted";

    // Side 2 has no comment to show when side 1 is offered.
    offerSide(1);
    answerNext(QStringLiteral("studený"));
    EXPECT_TRUE(session.answerComment().isEmpty());
}

TEST_F(DrillSessionTest, AKeyOnTheButtonStartsANewAnswerWithItsCharacter)
{
    load({"kočka / Katze"});
    answerNext(QStringLiteral("Hund"));
    EXPECT_EQ(session.startNewAnswer(QStringLiteral("k")), QStringLiteral("K"));
    EXPECT_EQ(session.answerState(), AnswerState::Unanswered);
    EXPECT_EQ(session.startNewAnswer(QStringLiteral("7")), QStringLiteral("7"));
    EXPECT_EQ(session.startNewAnswer(U("ž")), U("ž")) << "only ASCII letters become capitals";
    EXPECT_EQ(session.startNewAnswer(QString::fromUtf8("z\xCC\x8C")), U("ž"));

    session.checkAnswer(QStringLiteral("x"));
    EXPECT_TRUE(session.startNewAnswer(QString()).isEmpty()) << "a key that types nothing";
    EXPECT_TRUE(session.startNewAnswer(QStringLiteral("\x1b")).isEmpty()) << "Escape";
    EXPECT_EQ(session.answerState(), AnswerState::Wrong) << "ignored keys change nothing";
}

struct SeriesCase
{
    const char *name;
    int correct;
    int wrong;
    const char *success;
    const char *failure;
    int gauge;
    int pictureEdge; // 0: hidden

    // The case's name in test output, instead of its bytes.
    friend void PrintTo(const SeriesCase &c, std::ostream *out) { *out << c.name; }
};

class CounterSeriesTest : public DrillSessionTest, public testing::WithParamInterface<SeriesCase>
{
};

TEST_P(CounterSeriesTest, GivesCountsPercentagesGaugeAndPicture)
{
    const SeriesCase &c = GetParam();
    load({"pes / r Hund"});
    settings.showPicture = true;
    for (int i = 0; i < c.correct + c.wrong; ++i)
        answerNext(i < c.correct ? QStringLiteral("r Hund") : QStringLiteral("x"));
    const CounterDisplay counters = session.counters();
    EXPECT_EQ(counters.total, PadLeft(c.correct + c.wrong, 6));
    EXPECT_EQ(counters.correct, PadLeft(c.correct, 6));
    EXPECT_EQ(counters.wrong, PadLeft(c.wrong, 6));
    EXPECT_EQ(counters.successPercent, QString::fromLatin1(c.success));
    EXPECT_EQ(counters.errorPercent, QString::fromLatin1(c.failure));
    EXPECT_EQ(counters.gauge, c.gauge);
    EXPECT_EQ(counters.pictureEdge, c.pictureEdge);
    EXPECT_EQ(session.pictureShown(), c.pictureEdge != 0);
}

INSTANTIATE_TEST_SUITE_P(Series, CounterSeriesTest,
                         testing::Values(SeriesCase{"nothingYet", 0, 0, "  0.00", "  0.00", 0, 0},
                                         SeriesCase{"oneRight", 1, 0, "100.00", "  0.00", 0, 0},
                                         SeriesCase{"oneWrong", 0, 1, "  0.00", "100.00", 100, 65},
                                         SeriesCase{"oneRightOneWrong", 1, 1, " 50.00", " 50.00",
                                                    50, 65},
                                         SeriesCase{"twoToOne", 2, 1, " 66.67", " 33.33", 34, 65},
                                         SeriesCase{"oneToTwo", 1, 2, " 33.33", " 66.67", 67, 65},
                                         SeriesCase{"nineToOne", 9, 1, " 90.00", " 10.00", 10, 16},
                                         SeriesCase{"tenToOne", 10, 1, " 90.91", "  9.09", 10, 0},
                                         SeriesCase{"threeToOne", 3, 1, " 75.00", " 25.00", 25, 49},
                                         SeriesCase{"fiveToOne", 5, 1, " 83.33", " 16.67", 17, 31}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DrillSessionTest, ThePictureIsShownAtTheNextCountWhenSwitchedOnAndHiddenAtOnceWhenOff)
{
    load({"pes / r Hund"});
    answerNext(QStringLiteral("x"));
    EXPECT_EQ(session.counters().pictureEdge, 65);
    EXPECT_FALSE(session.pictureShown());
    settings.showPicture = true;
    session.applySettings();
    EXPECT_FALSE(session.pictureShown()) << "switching it on shows nothing at once";
    session.checkAnswer(QStringLiteral("y"));
    EXPECT_TRUE(session.pictureShown());
    settings.showPicture = false;
    session.applySettings();
    EXPECT_FALSE(session.pictureShown());
}

TEST_F(DrillSessionTest, ResettingTheRunKeepsThePairsCounters)
{
    load({"pes / r Hund"});
    answerNext(QStringLiteral("x"));
    answerNext(QStringLiteral("r Hund"));
    session.resetCounters();
    const CounterDisplay counters = session.counters();
    EXPECT_EQ(counters.total, QStringLiteral("     0"));
    EXPECT_EQ(counters.errorPercent, QStringLiteral("  0.00"));
    EXPECT_EQ(counters.pictureEdge, 0);
    EXPECT_EQ(pair(1).offers[1], 2);
    EXPECT_EQ(pair(1).errors[1], 1);
}

TEST_F(DrillSessionTest, CountersStopAtTheLargestValueAndShowModulo65536)
{
    load({"pes / r Hund @2147483647,0,2147483647,0"});
    answerNext(QStringLiteral("x"));
    EXPECT_EQ(pair(1).offers[1], 2147483647);
    EXPECT_EQ(pair(1).errors[1], 2147483647);
    for (int i = 0; i < 65536; ++i)
        session.checkAnswer(QStringLiteral("r Hund"));
    EXPECT_EQ(session.counters().correct, QStringLiteral("     0"));
    EXPECT_EQ(session.counters().total, QStringLiteral("     1"));
    EXPECT_EQ(session.counters().successPercent, QStringLiteral("100.00"));
}

TEST_F(DrillSessionTest, APairLeftBehindCannotBeAnswered)
{
    load({"pes / r Hund"});
    session.offerNextPair();
    QSignalSpy left(&session, &DrillSession::pairLeft);
    emit dictionary.pairsMoved(QList<int>{0}); // another writer removed it
    EXPECT_EQ(left.count(), 1);
    EXPECT_FALSE(session.hasPair());
    EXPECT_TRUE(session.offered().text.isEmpty());
    EXPECT_FALSE(session.checkAnswer(QStringLiteral("r Hund")).judged);
    EXPECT_EQ(pair(1).offers[1], 0);
}

TEST_F(DrillSessionTest, AFixedSideAppliesToThePairOnScreenAndARandomSideIsDrawnPerPair)
{
    load({"pes / r Hund", "kočka / e Katze"});
    session.offerNextPair();
    offerSide(2);
    EXPECT_EQ(session.revealWithoutCounting(), U("pes"));

    // The first draw of a run is 0: with a random side the first pair shows side 1.
    ResetRandomState();
    settings.sideChoice = SideChoice::AtRandom;
    settings.pairChoice = PairChoice::AtRandom;
    session.offerNextPair();
    EXPECT_EQ(session.state().offeredSide, 1);
    // Then each pair draws its side: both come, and the text shown is the side drawn.
    QSet<int> sides;
    for (int offer = 0; offer < 20; ++offer) {
        session.offerNextPair();
        const int side = session.state().offeredSide;
        sides.insert(side);
        EXPECT_EQ(session.offered().text, pair(session.state().currentPosition).side[side]);
    }
    EXPECT_EQ(sides, (QSet<int>{1, 2}));
}

TEST(PictureSize, GrowsFromSixteenToSixtyFive)
{
    const std::pair<int, int> table[] = {{10, 16}, {11, 18}, {12, 20}, {15, 27}, {20, 38},
                                         {25, 49}, {30, 60}, {31, 62}, {32, 65}};
    for (const auto &[rate, edge] : table)
        EXPECT_EQ(PictureSize(rate), edge) << rate;
}

} // namespace
