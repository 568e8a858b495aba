#pragma once

#include "answer_judge.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

// How a piece of a compared text is marked.
enum class DifferenceMark {
    Same,    // as expected
    Wrong,   // a letter in place of another (or two letters swapped)
    Gap,     // letters are missing here: a mark between letters, without text
    Surplus, // a typed letter too many
    Lacking, // an expected letter that the answer left out
};

struct MarkedPiece
{
    DifferenceMark mark = DifferenceMark::Same;
    QString text;

    friend bool operator==(const MarkedPiece &, const MarkedPiece &) = default;
};

// A text with its differences marked, and the same said in words for a screen reader.
struct MarkedText
{
    QList<MarkedPiece> pieces;
    QString description;
};

// One step of an alignment: the answer's character it takes (-1: none, a letter is missing)
// and the alternative's (-1: none, the answer's letter is surplus). A swapped pair is two steps.
struct AlignedStep
{
    enum Kind { Same, Wrong, Swapped, Surplus, Missing };
    Kind kind;
    int typed;
    int expected;
};

struct Alignment
{
    int closest = -1; // the index of the closest alternative; -1 when there is none
    int edits = 0;
    std::vector<AlignedStep> steps;
};

// Aligns an answer with the closest of the alternatives, letter by letter (a letter is what the
// reader sees as one: a character with its combining marks, an emoji with its modifiers): the
// fewest letters wrong, missing or surplus, a swap of two neighbours counting once; of equal
// alternatives the first. The steps count letters.
Alignment AlignWithClosest(QStringView answer, const QStringList &alternatives);

// Where an answer differs from the expected side, as the judge compares them (case, blanks and
// composition as it compares them, only the characters it compares).
struct AnswerDifference
{
    int edits = 0; // letters wrong, missing, surplus; a swapped pair counts once
    // The answer as typed, the letters that differ from the closest alternative marked; the
    // expected letters themselves are not in it.
    MarkedText typed;
    // The closest alternative as written in the side, the differences to the answer marked.
    MarkedText expected;
    // With percentage judging: the highest percentage the criteria reach against the closest
    // alternative; none when it is too short for the criteria.
    std::optional<double> achieved;
};

// Compares an answer as typed with a side as stored. The closest alternative (synonym or ending
// variant) is the one with the fewest edits, the first of equals. None when the side has no
// alternative.
std::optional<AnswerDifference> DescribeDifference(const QString &typed, const QString &side,
                                                   AssessmentMode mode);

// What the line under the answer says of the percentage: "shoda 83.33 % — potřeba 90 %".
QString ClosenessText(const AnswerDifference &difference, int threshold);
