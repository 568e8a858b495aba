#include "drill_session.h"

#include "assessment/alternatives.h"
#include "assessment/answer_judge.h"
#include "core/helpers.h"
#include "settings/settings.h"
#include "vocabulary/current_dictionary.h"
#include "vocabulary/vocabulary.h"
#include "vocabulary/vocabulary_store.h"

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

DrillSession::DrillSession(CurrentDictionary &dictionary, const Settings &settings, QObject *parent)
    : QObject(parent)
    , m_dictionary(dictionary)
    , m_settings(settings)
{
    connect(&dictionary, &CurrentDictionary::opened, this, &DrillSession::dictionaryOpened);
    connect(&dictionary, &CurrentDictionary::pairsMoved, this, &DrillSession::followMovedPairs);
}

Vocabulary &DrillSession::vocabulary()
{
    return m_dictionary.vocabulary();
}

const Vocabulary &DrillSession::vocabulary() const
{
    return m_dictionary.vocabulary();
}

bool DrillSession::canOffer() const
{
    return vocabulary().count() > 0;
}

bool DrillSession::hasPair() const
{
    return m_state.currentPosition >= 1 && m_state.currentPosition <= vocabulary().count();
}

VocabularyEntry &DrillSession::currentEntry()
{
    return vocabulary().at(m_state.currentPosition);
}

const VocabularyEntry &DrillSession::currentEntry() const
{
    return vocabulary().at(m_state.currentPosition);
}

OfferedPair DrillSession::offerNextPair()
{
    // The order of the draws is fixed: side, pair, then the variant shown.
    m_state.offeredSide = ChooseOfferedSide(m_state.offeredSide, m_settings);
    m_state.currentPosition = m_chooser.ChooseNextPair(vocabulary(), m_settings);
    const VocabularyEntry &entry = currentEntry();
    const OfferedText offered = PickOfferedText(entry.side[m_state.offeredSide]);
    m_state.revealed = false;
    m_answerState = AnswerState::Unanswered;
    m_offered = {offered.text, entry.comment[m_state.offeredSide], offered.tooMany};
    m_answerComment.clear();
    emit changed();
    emit pairOffered(offered.tooMany);
    return m_offered;
}

void DrillSession::leavePair()
{
    m_state.currentPosition = 0;
    m_offered = {};
    m_answerComment.clear();
    emit pairLeft();
}

// A new dictionary: its first pair is offered at once; without one, nothing can be answered.
void DrillSession::dictionaryOpened()
{
    if (canOffer()) {
        offerNextPair();
        return;
    }
    leavePair();
    emit changed();
}

void DrillSession::followMovedPairs(const QList<int> &newPositions)
{
    const int old = m_state.currentPosition;
    const bool hadPair = hasPair();
    m_state.currentPosition = old >= 1 && old <= newPositions.size() ? newPositions.at(old - 1) : 0;
    if (hadPair && !hasPair())
        leavePair();
    emit changed();
}

const QString &DrillSession::expectedText() const
{
    return currentEntry().side[expectedSide()];
}

// The answer side's comment is shown when there is one; otherwise the field keeps what it has.
void DrillSession::showAnswerComment()
{
    const QString comment = currentEntry().comment[expectedSide()];
    if (!comment.isEmpty())
        m_answerComment = comment;
}

void DrillSession::recordAnswer(bool correct)
{
    VocabularyEntry &entry = currentEntry();
    increment(entry.offers[m_state.offeredSide]);
    if (!correct)
        increment(entry.errors[m_state.offeredSide]);
    increment(correct ? m_state.correctCount : m_state.wrongCount);
    refreshCounters();
}

void DrillSession::refreshCounters()
{
    m_countersShown = true;
    // Switched off, the picture keeps its visibility: it was hidden when switched off.
    if (counters().pictureEdge == 0)
        m_pictureShown = false;
    else if (m_settings.showPicture)
        m_pictureShown = true;
}

// The answer just counted goes to the file at once; the window shows it before it is told.
void DrillSession::saveAnswer()
{
    const DictionaryResult result = m_dictionary.writeBackAnswers();
    emit changed();
    emit answerSaved(result);
}

void DrillSession::answerEdited()
{
    m_answerState = AnswerState::Unanswered;
    emit changed();
}

Verdict DrillSession::checkAnswer(const QString &typed)
{
    m_answerState = AnswerState::Unanswered;
    Verdict verdict;
    verdict.threshold = m_settings.threshold;
    if (!hasPair()) {
        emit changed();
        return verdict;
    }
    const bool judged = !m_state.revealed;
    if (judged) {
        const AssessmentResult result
            = JudgeTypedAnswer(typed, expectedText(), m_settings.assessment, m_settings.threshold);
        verdict.judged = true;
        verdict.correct = result.correct();
        verdict.criterion = result.criterion;
        verdict.achieved = result.achieved;
        m_answerState = result.correct() ? AnswerState::Correct : AnswerState::Wrong;
        m_lastVerdict = verdict;
        if (verdict.correct)
            m_lastAcceptedCriterion = verdict.criterion;
        recordAnswer(result.correct());
    }
    // After a reveal nothing was judged: the comment then comes only when always wanted.
    if (verdict.correct || m_settings.commentAfterWrongAnswer)
        showAnswerComment();
    if (judged)
        saveAnswer();
    else
        emit changed();
    return verdict;
}

QString DrillSession::revealAndCount()
{
    m_answerState = AnswerState::Unanswered;
    if (!hasPair()) {
        emit changed();
        return {};
    }
    const QString expected = expectedText();
    showAnswerComment();
    m_state.revealed = true;
    m_answerState = AnswerState::Revealed;
    recordAnswer(false);
    saveAnswer();
    return expected;
}

QString DrillSession::revealWithoutCounting()
{
    if (!hasPair())
        return {};
    m_state.revealed = true;
    m_answerState = AnswerState::Revealed;
    emit changed();
    return expectedText();
}

QString DrillSession::showExpectedSide()
{
    if (!hasPair())
        return {};
    showAnswerComment();
    emit changed();
    return expectedText();
}

QString DrillSession::startNewAnswer(const QString &keyText)
{
    QString typed = keyText.normalized(QString::NormalizationForm_C);
    if (typed.size() == 1 && typed.at(0).isLetter() && typed.at(0).unicode() < 128)
        typed = typed.toUpper();
    if (typed.isEmpty() || !typed.at(0).isPrint())
        return {};
    m_answerState = AnswerState::Unanswered;
    emit changed();
    return typed;
}

void DrillSession::resetCounters()
{
    m_state.correctCount = 0;
    m_state.wrongCount = 0;
    refreshCounters();
    emit changed();
}

bool DrillSession::hasCountedAnswers() const
{
    return qint64(m_state.correctCount) + m_state.wrongCount > 0;
}

void DrillSession::applySettings()
{
    if (const std::optional<int> side = FixedOfferedSide(m_settings))
        m_state.offeredSide = *side;
    if (!m_settings.showPicture)
        m_pictureShown = false;
    emit changed();
}

bool DrillSession::criterionPanelVisible() const
{
    return CriterionPanelVisible(m_settings);
}

QString DrillSession::dictionaryCaption() const
{
    return canOffer() ? VocabularyCaption(vocabulary()) : NoVocabularyCaption;
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
