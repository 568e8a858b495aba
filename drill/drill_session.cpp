#include "drill_session.h"

#include "assessment/alternatives.h"
#include "assessment/answer_judge.h"
#include "core/helpers.h"
#include "settings/settings.h"
#include "vocabulary/vocabulary.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Adds one to a counter, stopping at the largest value instead of overflowing.
void increment(qint32 &counter)
{
    if (counter < std::numeric_limits<qint32>::max())
        ++counter;
}

} // namespace

int PictureSize(double errorRate)
{
    return int(std::floor(13.0 * (75.0 * errorRate - 200.0) / 440.0));
}

DrillSession::DrillSession(Vocabulary &vocabulary, const Settings &settings)
    : m_vocabulary(vocabulary)
    , m_settings(settings)
{}

bool DrillSession::canOffer() const
{
    return m_vocabulary.count() > 0;
}

bool DrillSession::hasPair() const
{
    return m_state.currentPosition >= 1 && m_state.currentPosition <= m_vocabulary.count();
}

VocabularyEntry &DrillSession::currentEntry()
{
    return m_vocabulary.at(m_state.currentPosition);
}

const VocabularyEntry &DrillSession::currentEntry() const
{
    return m_vocabulary.at(m_state.currentPosition);
}

OfferedPair DrillSession::offerNextPair()
{
    // The order of the draws is fixed: side, pair, then the variant shown.
    m_state.offeredSide = ChooseOfferedSide(m_state.offeredSide, m_settings);
    m_state.currentPosition = m_chooser.ChooseNextPair(m_vocabulary, m_settings);
    const VocabularyEntry &entry = currentEntry();
    const OfferedText offered = PickOfferedText(entry.side[m_state.offeredSide]);
    m_state.revealed = false;
    m_panelColour = PanelColour::Silver;
    return {offered.text, entry.comment[m_state.offeredSide], offered.tooMany};
}

void DrillSession::leavePair()
{
    m_state.currentPosition = 0;
}

QString DrillSession::answerComment() const
{
    return currentEntry().comment[3 - m_state.offeredSide];
}

void DrillSession::recordAnswer(bool correct)
{
    VocabularyEntry &entry = currentEntry();
    increment(entry.offers[m_state.offeredSide]);
    if (!correct)
        increment(entry.errors[m_state.offeredSide]);
    increment(correct ? m_state.correctCount : m_state.wrongCount);
}

void DrillSession::answerEdited()
{
    m_panelColour = PanelColour::Silver;
}

Verdict DrillSession::checkAnswer(const QString &typed)
{
    m_panelColour = PanelColour::Silver;
    Verdict verdict;
    verdict.threshold = m_settings.threshold;
    if (!hasPair())
        return verdict;
    if (!m_state.revealed) {
        const AssessmentResult result
            = JudgeTypedAnswer(typed, currentEntry().side[3 - m_state.offeredSide],
                               m_settings.assessment, m_settings.threshold);
        verdict.judged = true;
        verdict.correct = result.correct();
        verdict.criterion = result.criterion;
        verdict.achieved = result.achieved;
        m_panelColour = result.correct() ? PanelColour::Lime : PanelColour::Red;
        recordAnswer(result.correct());
    }
    // After a reveal nothing was judged: the comment then comes only when always wanted.
    if (verdict.correct || m_settings.commentAfterWrongAnswer)
        verdict.answerComment = answerComment();
    return verdict;
}

Revealed DrillSession::revealAndCount()
{
    m_panelColour = PanelColour::Silver;
    if (!hasPair())
        return {};
    const Revealed revealed{currentEntry().side[3 - m_state.offeredSide], answerComment()};
    m_state.revealed = true;
    recordAnswer(false);
    m_panelColour = PanelColour::Magenta;
    return revealed;
}

QString DrillSession::revealWithoutCounting()
{
    if (!hasPair())
        return {};
    m_state.revealed = true;
    m_panelColour = PanelColour::Magenta;
    return currentEntry().side[3 - m_state.offeredSide];
}

Revealed DrillSession::showExpectedSide() const
{
    if (!hasPair())
        return {};
    return {currentEntry().side[3 - m_state.offeredSide], answerComment()};
}

QString DrillSession::startNewAnswer(const QString &keyText)
{
    QString typed = keyText.normalized(QString::NormalizationForm_C);
    if (typed.size() == 1 && typed.at(0).isLetter() && typed.at(0).unicode() < 128)
        typed = typed.toUpper();
    if (typed.isEmpty() || !typed.at(0).isPrint())
        return {};
    m_panelColour = PanelColour::Silver;
    return typed;
}

void DrillSession::resetCounters()
{
    m_state.correctCount = 0;
    m_state.wrongCount = 0;
}

void DrillSession::followMovedPairs(const QList<int> &newPositions)
{
    const int old = m_state.currentPosition;
    m_state.currentPosition = old >= 1 && old <= newPositions.size() ? newPositions.at(old - 1) : 0;
}

void DrillSession::setOfferedSide(int side)
{
    m_state.offeredSide = side;
}

CounterDisplay DrillSession::counters() const
{
    CounterDisplay display;
    const qint64 total = qint64(m_state.correctCount) + m_state.wrongCount;
    display.total = PadLeft(int(total & 0xFFFF), 6);
    display.correct = PadLeft(m_state.correctCount, 6);
    display.wrong = PadLeft(m_state.wrongCount, 6);
    const double success = total != 0 ? double(m_state.correctCount) * 100.0 / double(total) : 0.0;
    display.successPercent = FormatFixed(success);

    // The picture grows with the error rate from 10 % and stops growing at 32 %.
    const double errorRate = 100.0 - success;
    if (m_state.wrongCount != 0 && errorRate >= 10.0) {
        display.pictureEdge = PictureSize(std::min(errorRate, 32.0));
        display.showPicture = m_settings.showPicture;
    }

    if (total == 0) {
        display.errorPercent = QStringLiteral("  0.00");
        display.gauge = 0;
    } else {
        display.errorPercent = FormatFixed(errorRate);
        display.gauge = 100 - int(success);
    }
    return display;
}
