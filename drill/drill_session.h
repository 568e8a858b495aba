#pragma once

#include "pair_chooser.h"

#include "assessment/answer_difference.h"

#include "history/clock.h"
#include "history/review_schedule.h"

#include <QObject>
#include <QString>

#include <optional>

class CurrentDictionary;
class ReviewHistory;
struct DictionaryResult;

// The state of the drill for this run; nothing of it is stored in any file.
struct DrillState
{
    qint32 correctCount = 0;
    qint32 wrongCount = 0;   // wrong answers and every reveal that counts
    int currentPosition = 0; // the pair on screen (1..count); 0 before the first offer
    int offeredSide = 1;     // the side shown; 3 - offeredSide is the expected answer
    bool revealed = false;   // the expected answer has been shown
};

// The state of the answer on screen: being typed (or none yet), judged right or wrong, or
// replaced by the expected side.
enum class AnswerState { Unanswered, Correct, Wrong, Revealed };

// What a newly offered pair puts on screen.
struct OfferedPair
{
    QString text;    // one alternative of the offered side
    QString comment; // the offered side's comment; empty: none is shown
    bool tooManyAlternatives = false;
};

// The verdict on an answer entered with Enter.
struct Verdict
{
    bool judged = false; // false after a reveal: nothing was judged or counted
    bool correct = false;
    int criterion = -1;  // 0 exact, 1 to 6 a typo criterion; only when correct
    double achieved = 0; // the percentage the criterion reached; only when correct
    int threshold = 0;   // the threshold in force for this answer
};

// The run's counters as the window shows them.
struct CounterDisplay
{
    QString total; // right-aligned to 6, shown modulo 65536
    QString correct;
    QString wrong;
    QString successPercent; // "100.00"
    QString errorPercent;
    int gauge = 0;       // the error rate, 0 to 100
    int pictureEdge = 0; // the picture's edge in pixels; 0: the picture is hidden
};

// What the line under the answer shows, when the user asked for it: where the answer on screen
// differs from the expected side, how close it came, or that the day's schedule is done.
struct AnswerNote
{
    MarkedText marked; // the answer, or after a reveal the expected side, differences marked
    QString remark;

    bool isEmpty() const { return marked.pieces.isEmpty() && remark.isEmpty(); }
    // The line in words, for a screen reader.
    QString spoken() const;
};

QString DayDoneRemark();

// One drill over the current dictionary: offering a pair, judging, revealing and counting
// answers, and everything the drill window shows of it. The window is a view of this class:
// every change of what it shows is announced by changed(), whoever caused it.
//
// A reveal blocks judging until the next pair is offered. A counted answer is written back to
// the dictionary's file at once; with a history kept, it is recorded there first.
class DrillSession : public QObject
{
    Q_OBJECT
public:
    DrillSession(CurrentDictionary &dictionary, const Settings &settings,
                 QObject *parent = nullptr);

    // Every counted answer is recorded in the history, which the review schedule chooses by.
    void keepHistory(ReviewHistory &history, Clock clock);
    // Answers that the history holds but the dictionary's file did not get (the program was
    // killed, the disk was full) are added to its counters and written back, once; returns
    // how many. Only when no other copy of the program had the file open.
    int restoreUnsavedAnswers();
    // Answers given on other computers came into the history: the cards are read again.
    void historyChanged();

    // There is a pair to offer: the dictionary holds at least one.
    bool canOffer() const;
    // Chooses the side and the pair and draws the text to show; requires canOffer().
    OfferedPair offerNextPair();
    // A pair of the current dictionary is on screen and can be answered.
    bool hasPair() const;

    // Enter in the answer field: judges and counts the typed answer, unless it was revealed.
    Verdict checkAnswer(const QString &typed);
    // The expected side is the side exactly as stored, synonyms and endings included; its
    // comment goes on show (answerComment()) where the rules say so.
    // F1 in the answer field: the expected side, counted as a wrong answer; `typed` is what
    // the field held.
    QString revealAndCount(const QString &typed = QString());
    // F1 on the next-pair button: the expected side, nothing counted, no comment.
    QString revealWithoutCounting();
    // A double click in the answer field: the expected side and its comment, nothing counted.
    QString showExpectedSide();
    // Any key in the answer field: the answer is being edited again.
    void answerEdited();
    // A key typed on the next-pair button starts a new answer with its character; returns
    // that character (ASCII letters as capitals), or empty for a key that types nothing.
    QString startNewAnswer(const QString &keyText);

    // F4: the offered word is said again, in its side's language.
    void sayOfferedAgain();

    // The run's counters back to 0; the pairs keep theirs.
    void resetCounters();
    // Some answer of this run is counted.
    bool hasCountedAnswers() const;
    // The settings changed (or were read): a fixed side applies to the pair on screen as
    // well, and a picture switched off is hidden.
    void applySettings();

    // What the window shows.
    const OfferedPair &offered() const { return m_offered; }
    // The answer side's comment on show; empty: none.
    const QString &answerComment() const { return m_answerComment; }
    AnswerState answerState() const { return m_answerState; }
    int expectedSide() const { return 3 - m_state.offeredSide; }
    // The counters are on show once an answer was counted or the run's counters were reset.
    bool countersShown() const { return m_countersShown; }
    CounterDisplay counters() const;
    bool pictureShown() const { return m_pictureShown; }
    // The last judged answer: the criterion panel's figures, empty after a wrong one.
    const Verdict &lastVerdict() const { return m_lastVerdict; }
    // The criterion that accepted an answer last; -1 before the first.
    int lastAcceptedCriterion() const { return m_lastAcceptedCriterion; }
    bool criterionPanelVisible() const;
    const AnswerNote &answerNote() const { return m_answerNote; }
    // With the review schedule in use: the cards due today and the new ones still allowed.
    std::optional<ScheduleCounts> scheduleCounts() const;
    // The theme and the number of pairs of the dictionary, or that none was loaded yet.
    QString dictionaryCaption() const;

    const DrillState &state() const { return m_state; }
    const PairChooser &chooser() const { return m_chooser; }

signals:
    // What the window shows has changed.
    void changed();
    // A new pair is on screen: the answer field starts empty.
    void pairOffered(bool tooManyAlternatives);
    // No pair of the current dictionary is on screen any more: the answer field is emptied.
    void pairLeft();
    // An answer (or a reset of the pairs' counters) was written back to the file.
    void answerSaved(const DictionaryResult &result);
    // A text to be said in a language (an ISO code; empty: unknown), as the settings ask:
    // the offered word when a pair is offered, the right answer after a wrong one or a reveal.
    void speak(const QString &text, const QString &language);

private:
    Vocabulary &vocabulary();
    const Vocabulary &vocabulary() const;
    VocabularyEntry &currentEntry();
    const VocabularyEntry &currentEntry() const;
    const QString &expectedText() const;
    void showAnswerComment();
    void recordAnswer(bool correct);
    void refreshCounters();
    void saveAnswer();
    void dictionaryOpened();
    void followMovedPairs(const QList<int> &newPositions);
    void leavePair();
    // The pair and side by the review schedule; false when it has no history to go by.
    bool chooseBySchedule();
    bool loadCards();
    ScheduleOptions scheduleOptions() const;
    void recordInHistory(Grade grade, const QString &typed);
    // Says a side of the pair on screen: the text given, or its first alternative.
    void say(int side, const QString &text = QString());
    // The line under the answer: the typed answer marked where it differs from the expected
    // side, or the expected side marked where the answer differed from it.
    void noteDifference(const QString &typed, bool showExpected);
    void clearAnswerNote();
    // In the scheduled mode with nothing due and no new card left today: said once a day.
    void noteDayDone(bool nothingLeft);

    CurrentDictionary &m_dictionary;
    const Settings &m_settings;
    DrillState m_state;
    PairChooser m_chooser;
    OfferedPair m_offered;
    QString m_answerComment;
    AnswerState m_answerState = AnswerState::Unanswered;
    bool m_countersShown = false;
    bool m_pictureShown = false;
    Verdict m_lastVerdict;
    int m_lastAcceptedCriterion = -1;
    AnswerNote m_answerNote;
    // The answer to the pair on screen that was judged wrong, until the answer is edited.
    std::optional<QString> m_wrongAnswer;
    qint64 m_dayDoneToldOn = -1; // the start of the local day it was said on

    ReviewHistory *m_history = nullptr;
    Clock m_clock;
    qint64 m_offeredAtMs = 0;
    ReviewScheduler m_scheduler;
    QList<PairCards> m_cards; // of the current dictionary, once loaded
    bool m_cardsLoaded = false;
};

// The edge in pixels of the motivating picture at an error rate of v percent (10 to 32):
// floor(13 * (75 v - 200) / 440), 16 at 10 % and exactly 65 at 32 %.
int PictureSize(double errorRate);
