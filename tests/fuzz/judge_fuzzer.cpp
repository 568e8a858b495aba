// Alternatives and judging: any side and any answer are taken apart and judged without harm,
// an answer equal to an alternative is accepted exactly, and the percentage stays in range.

#include "assessment/alternatives.h"
#include "assessment/answer_judge.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The input is a side and an answer, separated by the first NUL byte.
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = text.indexOf(QChar(0));
    const QString side = split < 0 ? text : text.left(split);
    const QString typed = split < 0 ? QString() : text.mid(split + 1);

    const Alternatives alternatives = SplitAlternatives(side);
    if (alternatives.count() > Alternatives::Capacity)
        std::abort();
    for (const AssessmentMode mode : {AssessmentMode::ExactMatch, AssessmentMode::PercentMatch}) {
        for (int threshold : {0, 50, 90, 100}) {
            const AssessmentResult result = JudgeTypedAnswer(typed, side, mode, threshold);
            if (result.correct() && (result.achieved < threshold || result.achieved > 100.0))
                std::abort();
        }
    }
    // Every alternative, typed as it is, is an exact answer, when the side is compared whole
    // (no blanks to take out, no more than the compared characters) and typed as composed.
    const bool comparedWhole
        = !side.contains(QLatin1Char(' ')) && side.size() <= CompareTextCapacity;
    for (const QString &alternative : alternatives.texts) {
        if (!comparedWhole || alternative != alternative.normalized(QString::NormalizationForm_C))
            continue;
        const AssessmentResult exact
            = JudgeTypedAnswer(alternative, side, AssessmentMode::ExactMatch, 100);
        if (!exact.correct())
            std::abort();
    }
    PickOfferedText(side);
    return 0;
}
