#include "drill_session.h"

#include "assessment/alternatives.h"
#include "assessment/answer_judge.h"
#include "core/helpers.h"
#include "history/review_history.h"
#include "settings/settings.h"
#include "vocabulary/current_dictionary.h"
#include "vocabulary/languages.h"
#include "vocabulary/vocabulary.h"
#include "vocabulary/vocabulary_store.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(DrillSession)
};

// Adds one to a counter, stopping at the largest value instead of overflowing.
void increment(qint32 &counter)
{
    if (counter < std::numeric_limits<qint32>::max())
        ++counter;
}

// One answer in a pair's counters: offered with `side`, and an error unless it was right.
void countInPair(VocabularyEntry &entry, int side, bool correct)
{
    increment(entry.offers[side]);
    if (!correct)
        increment(entry.errors[side]);
}

// The grade an answer earns: exact is good, accepted by a typo criterion hard, wrong (or
// revealed) again.
Grade gradeOf(const Verdict &verdict)
{
    if (!verdict.correct)
        return Grade::Again;
    return verdict.criterion == 0 ? Grade::Good : Grade::Hard;
}

} // namespace

QString AnswerNote::spoken() const
{
    if (marked.description.isEmpty() || remark.isEmpty())
        return marked.description + remark;
    return marked.description + QStringLiteral("; ") + remark;
}

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

void DrillSession::keepHistory(ReviewHistory &history, Clock clock)
{
    m_history = &history;
    m_history->setModel(MemoryModelOf(m_settings));
    m_clock = std::move(clock);
    connect(&m_dictionary, &CurrentDictionary::answersSettled, &history, &ReviewHistory::settle);
}

ScheduleOptions DrillSession::scheduleOptions() const
{
    return {MemoryModelOf(m_settings), m_settings.newPerDay, FixedOfferedSide(m_settings)};
}

bool DrillSession::loadCards()
{
    if (m_cardsLoaded)
        return true;
    if (!m_history || !m_history->ensureOpen())
        return false;
    QList<PairText> pairs;
    pairs.reserve(vocabulary().count());
    for (const VocabularyEntry &entry : vocabulary().entries)
        pairs.append(PairTextOf(entry));
    // Cards that cannot be read are not "nothing learnt": the next offer tries again.
    const std::optional<QHash<CardKey, Card>> read = m_history->cardsOf(pairs);
    if (!read)
        return false;
    const QHash<CardKey, Card> &known = *read;
    m_cards = QList<PairCards>(pairs.size(), PairCards{});
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        for (int side = 1; side <= 2; ++side) {
            const auto card = known.constFind({pairs.at(i), side});
            if (card != known.cend())
                m_cards[i][std::size_t(side - 1)] = *card;
        }
    }
    m_cardsLoaded = true;
    return true;
}

bool DrillSession::chooseBySchedule()
{
    if (m_settings.pairChoice != PairChoice::BySchedule || !loadCards())
        return false;
    const qint64 now = m_clock();
    const LocalDay today = LocalDayOf(now);
    const ScheduleCounts left = ReviewScheduler::counts(m_cards, today, scheduleOptions());
    noteDayDone(left.due == 0 && left.fresh == 0);
    const ScheduledChoice choice
        = m_scheduler.choose(m_cards, now, today, scheduleOptions(), m_chooser.previousPosition());
    m_scheduler.offered(choice);
    m_chooser.setPreviousPosition(choice.position);
    m_state.offeredSide = choice.side;
    m_state.currentPosition = choice.position;
    return true;
}

std::optional<ScheduleCounts> DrillSession::scheduleCounts() const
{
    if (m_settings.pairChoice != PairChoice::BySchedule || !m_cardsLoaded)
        return std::nullopt;
    return ReviewScheduler::counts(m_cards, LocalDayOf(m_clock()), scheduleOptions());
}

// Committed before the dictionary is written back: an answer that the file never gets is
// found unsettled and added to it when the dictionary is next opened.
void DrillSession::recordInHistory(Grade grade, const QString &typed)
{
    if (!m_history)
        return;
    const qint64 now = m_clock();
    const int side = m_state.offeredSide;
    const AnswerRecord answer{now,   {PairTextOf(currentEntry()), side},       grade,
                              typed, std::max<qint64>(now - m_offeredAtMs, 0), m_dictionary.path()};
    const std::optional<Card> card = m_history->record(answer);
    // An answer that waits for the history's lock moves its card here all the same.
    if (m_cardsLoaded && m_state.currentPosition <= m_cards.size()) {
        std::optional<Card> &known = m_cards[m_state.currentPosition - 1][std::size_t(side - 1)];
        known = card ? *card : ReviewCard(known, grade, now, MemoryModelOf(m_settings));
    }
    m_scheduler.answered({m_state.currentPosition, side}, grade);
}

int DrillSession::restoreUnsavedAnswers()
{
    if (!m_history || !m_dictionary.holdsLock())
        return 0;
    // Taken over before they are counted: answers that cannot be taken now are not counted,
    // and are found again the next time.
    const std::optional<QList<UnsettledAnswer>> answers
        = m_history->claimUnsettled(m_dictionary.path());
    if (!answers || answers->isEmpty())
        return 0;
    QHash<PairText, int> positions;
    for (int position = vocabulary().count(); position >= 1; --position)
        positions.insert(PairTextOf(vocabulary().at(position)), position); // the first of equals
    int restored = 0;
    for (const UnsettledAnswer &answer : *answers) {
        const int position = positions.value(answer.card.pair, 0);
        if (position == 0)
            continue; // the pair is no longer in the file
        countInPair(vocabulary().at(position), answer.card.offeredSide,
                    answer.grade != Grade::Again);
        ++restored;
    }
    // Settled with this run's next write-back of the file, and not before.
    if (restored > 0)
        saveAnswer();
    else
        m_history->settle(m_dictionary.path());
    return restored;
}

OfferedPair DrillSession::offerNextPair()
{
    clearAnswerNote();
    m_wrongAnswer.reset();
    // The order of the draws is fixed: side, pair, then the variant shown.
    if (!chooseBySchedule()) {
        m_state.offeredSide = ChooseOfferedSide(m_state.offeredSide, m_settings);
        m_state.currentPosition = m_chooser.ChooseNextPair(vocabulary(), m_settings);
    }
    if (m_clock)
        m_offeredAtMs = m_clock();
    const VocabularyEntry &entry = currentEntry();
    const OfferedText offered = PickOfferedText(entry.side[m_state.offeredSide]);
    m_state.revealed = false;
    m_answerState = AnswerState::Unanswered;
    m_offered = {offered.text, entry.comment[m_state.offeredSide], offered.tooMany};
    m_answerComment.clear();
    emit changed();
    emit pairOffered(offered.tooMany);
    if (m_settings.speakOffered)
        say(m_state.offeredSide, m_offered.text); // the alternative shown is the one said
    return m_offered;
}

void DrillSession::say(int side, const QString &text)
{
    QString said = text;
    if (said.isEmpty()) {
        const Alternatives alternatives = SplitAlternatives(currentEntry().side[side]);
        said = alternatives.texts.value(0, currentEntry().side[side]);
    }
    said = said.trimmed();
    if (!said.isEmpty())
        emit speak(said, LanguagesOf(vocabulary()).side[side]);
}

void DrillSession::sayOfferedAgain()
{
    if (hasPair())
        say(m_state.offeredSide, m_offered.text);
}

void DrillSession::noteDayDone(bool nothingLeft)
{
    const qint64 today = LocalDayOf(m_clock()).startMs;
    // Said whatever the difference switch says: it governs the difference line only.
    if (!nothingLeft || m_dayDoneToldOn == today)
        return;
    m_answerNote.remark = DayDoneRemark();
    m_dayDoneToldOn = today;
}

void DrillSession::noteDifference(const QString &typed, bool showExpected)
{
    clearAnswerNote();
    if (!m_settings.showDifference)
        return;
    const std::optional<AnswerDifference> difference
        = DescribeDifference(typed, expectedText(), m_settings.assessment);
    if (!difference)
        return;
    m_answerNote.marked = showExpected ? difference->expected : difference->typed;
    if (m_settings.assessment == AssessmentMode::PercentMatch)
        m_answerNote.remark = ClosenessText(*difference, m_settings.threshold);
}

void DrillSession::clearAnswerNote()
{
    m_answerNote = {};
}

void DrillSession::leavePair()
{
    clearAnswerNote();
    m_wrongAnswer.reset();
    m_state.currentPosition = 0;
    m_offered = {};
    m_answerComment.clear();
    emit pairLeft();
}

// A new dictionary: its first pair is offered at once; without one, nothing can be answered.
void DrillSession::historyChanged()
{
    m_cardsLoaded = false;
    if (m_settings.pairChoice == PairChoice::BySchedule)
        loadCards();
    emit changed();
}

void DrillSession::dictionaryOpened()
{
    m_cardsLoaded = false;
    m_dayDoneToldOn = -1; // said once for each dictionary
    m_scheduler.clear();
    if (canOffer()) {
        offerNextPair();
        return;
    }
    leavePair();
    emit changed();
}

void DrillSession::followMovedPairs(const QList<int> &newPositions)
{
    m_cardsLoaded = false; // the pairs are in new places
    m_scheduler.follow(newPositions);
    if (m_settings.pairChoice == PairChoice::BySchedule)
        loadCards();
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
    countInPair(currentEntry(), m_state.offeredSide, correct);
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
    m_wrongAnswer.reset();
    // A new pair's remark stays until the answer is judged.
    if (!m_answerNote.marked.pieces.isEmpty())
        clearAnswerNote();
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
        if (verdict.correct) {
            m_lastAcceptedCriterion = verdict.criterion;
            clearAnswerNote();
        } else {
            m_wrongAnswer = typed;
            noteDifference(typed, false);
        }
        recordAnswer(result.correct());
        recordInHistory(gradeOf(verdict), typed);
    }
    // After a reveal nothing was judged: the comment then comes only when always wanted.
    if (verdict.correct || m_settings.commentAfterWrongAnswer)
        showAnswerComment();
    if (judged)
        saveAnswer();
    else
        emit changed();
    if (judged && !verdict.correct && m_settings.speakAnswer)
        say(expectedSide());
    return verdict;
}

QString DrillSession::revealAndCount(const QString &typed)
{
    m_answerState = AnswerState::Unanswered;
    if (!hasPair()) {
        emit changed();
        return {};
    }
    const QString expected = expectedText();
    showAnswerComment();
    // Nothing typed: the whole side is what was missing.
    noteDifference(typed, true);
    m_state.revealed = true;
    m_answerState = AnswerState::Revealed;
    recordAnswer(false);
    recordInHistory(Grade::Again, typed);
    saveAnswer();
    if (m_settings.speakAnswer)
        say(expectedSide());
    return expected;
}

QString DrillSession::revealWithoutCounting()
{
    if (!hasPair())
        return {};
    m_state.revealed = true;
    m_answerState = AnswerState::Revealed;
    if (m_wrongAnswer)
        noteDifference(*m_wrongAnswer, true);
    emit changed();
    if (m_settings.speakAnswer)
        say(expectedSide());
    return expectedText();
}

QString DrillSession::showExpectedSide()
{
    if (!hasPair())
        return {};
    showAnswerComment();
    if (m_wrongAnswer)
        noteDifference(*m_wrongAnswer, true);
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
    m_wrongAnswer.reset();
    clearAnswerNote();
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
    // Answers, also those waiting for the lock, update their cards with the model in force.
    if (m_history)
        m_history->setModel(MemoryModelOf(m_settings));
    // The schedule's counts are on show at once; without pairs there are no cards to read
    // (at start-up the settings come before the dictionary, whose opening reads them).
    if (m_settings.pairChoice == PairChoice::BySchedule && canOffer())
        loadCards();
    if (const std::optional<int> side = FixedOfferedSide(m_settings))
        m_state.offeredSide = *side;
    if (!m_settings.showPicture)
        m_pictureShown = false;
    if (!m_settings.showDifference)
        clearAnswerNote();
    emit changed();
}

bool DrillSession::criterionPanelVisible() const
{
    return CriterionPanelVisible(m_settings);
}

QString DrillSession::dictionaryCaption() const
{
    return canOffer() ? VocabularyCaption(vocabulary()) : NoVocabularyCaption();
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

QString DayDoneRemark()
{
    return Texts::tr("Na dnes je hotovo: nic k opakování, nová slova zase zítra.");
}
