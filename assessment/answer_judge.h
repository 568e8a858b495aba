#pragma once

#include <QString>

#include <optional>

enum class AssessmentMode { ExactMatch = 0, PercentMatch = 1 };

inline constexpr int NoCriterion = -1;
// Typed answer and expected side are compared on their first 25 normalised characters.
inline constexpr int CompareTextCapacity = 25;
// Criteria 1 to 6 are tried only against alternatives of at least this many characters.
inline constexpr int PercentMinLength = 6;

// The verdict on one answer: which criterion accepted it (0 exact match, 1 to 6 the typo
// criteria) and the percentage it reached.
struct AssessmentResult
{
    int criterion = NoCriterion;
    double achieved = 0;

    bool correct() const { return criterion != NoCriterion; }
};

// The text shown for a criterion (0 to 6); empty for NoCriterion.
QString CriterionText(int criterion);

// Upper case for a to z only, every blank removed; other characters stay as they are.
QString NormalizeAnswer(const QString &text);

// The typed answer as it is compared: composed (NFC), normalised and cut to its first
// CompareTextCapacity characters.
QString ComparedAnswer(const QString &typed);

// The length of the longest text that occurs in both.
qsizetype LongestCommonSubstring(QStringView a, QStringView b);

// Judges a normalised, cut answer against a normalised, cut expected side (separators and
// ending groups included) at the threshold in percent.
AssessmentResult JudgeAnswer(const QString &answer, const QString &expected, AssessmentMode mode,
                             int threshold);

// How close a normalised, cut answer comes to one alternative of the expected side under the
// percentage criteria: 100 when equal, otherwise the highest percentage any criterion reaches.
// None for an alternative shorter than PercentMinLength, against which only equality counts.
std::optional<double> BestCriterionPercentage(const QString &answer, const QString &alternative);

// Judges an answer as typed against a side as stored: both normalised and cut first.
AssessmentResult JudgeTypedAnswer(const QString &typed, const QString &expectedSide,
                                  AssessmentMode mode, int threshold);
