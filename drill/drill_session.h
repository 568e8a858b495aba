#pragma once

#include "pair_chooser.h"

#include <QString>

// The state of the drill for this run; nothing of it is stored in any file.
struct DrillState
{
    qint32 correctCount = 0;
    qint32 wrongCount = 0;   // wrong answers and every reveal that counts
    int currentPosition = 0; // the pair on screen (1..count); 0 before the first offer
    int offeredSide = 1;     // the side shown; 3 - offeredSide is the expected answer
    bool revealed = false;   // the expected answer has been shown
};

// The colour of the frame around the answer field: the state of the answer on screen.
enum class PanelColour { Silver, Lime, Red, Magenta };

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
    int criterion = -1;    // 0 exact, 1 to 6 a typo criterion; only when correct
    double achieved = 0;   // the percentage the criterion reached; only when correct
    int threshold = 0;     // the threshold in force for this answer
    QString answerComment; // the answer side's comment to show; empty: leave it as it is
};

// The expected side shown in the answer field, with the comment to show beside it.
struct Revealed
{
    QString expected;      // the side exactly as stored, synonyms and endings included
    QString answerComment; // empty: leave the comment field as it is
};

// The run's counters as the window shows them.
struct CounterDisplay
{
    QString total; // right-aligned to 6, shown modulo 65536
    QString correct;
    QString wrong;
    QString successPercent; // "100.00"
    QString errorPercent;
    int gauge = 0;            // the error rate, 0 to 100
    int pictureEdge = 0;      // the picture's edge in pixels; 0: the picture is hidden
    bool showPicture = false; // the picture is to be shown (not only resized)
};

// One drill over the current dictionary: offering a pair, judging, revealing and counting
// answers, and everything the drill window shows of it. The window is a view of this class.
//
// The answer on screen is in one of these states: no pair yet; awaiting an answer (silver);
// judged correct (lime) or wrong (red); revealed (magenta). A reveal blocks judging until
// the next pair is offered.
class DrillSession
{
public:
    DrillSession(Vocabulary &vocabulary, const Settings &settings);

    // There is a pair to offer: the dictionary holds at least one.
    bool canOffer() const;
    // Chooses the side and the pair and draws the text to show; requires canOffer().
    OfferedPair offerNextPair();
    // A pair of the current dictionary is on screen and can be answered.
    bool hasPair() const;
    // No pair of the current dictionary is on screen (a dictionary without pairs was loaded).
    void leavePair();

    // Enter in the answer field: judges and counts the typed answer, unless it was revealed.
    Verdict checkAnswer(const QString &typed);
    // F1 in the answer field: the expected side, counted as a wrong answer.
    Revealed revealAndCount();
    // F1 on the next-pair button: the expected side, nothing counted, no comment.
    QString revealWithoutCounting();
    // A double click in the answer field: the expected side, nothing changes.
    Revealed showExpectedSide() const;
    // Any key in the answer field: the answer is being edited again.
    void answerEdited();
    // A key typed on the next-pair button starts a new answer with its character; returns
    // that character (ASCII letters as capitals), or empty for a key that types nothing.
    QString startNewAnswer(const QString &keyText);

    // The run's counters back to 0; the pairs keep theirs.
    void resetCounters();
    CounterDisplay counters() const;

    // The pairs were read again from a file that another program changed: the pair on screen
    // is followed to its new position (index: old position - 1), or left when it is gone.
    void followMovedPairs(const QList<int> &newPositions);

    // The settings window picked a fixed side; it applies to the pair on screen as well.
    void setOfferedSide(int side);

    PanelColour panelColour() const { return m_panelColour; }
    const DrillState &state() const { return m_state; }
    const PairChooser &chooser() const { return m_chooser; }

private:
    VocabularyEntry &currentEntry();
    const VocabularyEntry &currentEntry() const;
    QString answerComment() const;
    void recordAnswer(bool correct);

    Vocabulary &m_vocabulary;
    const Settings &m_settings;
    DrillState m_state;
    PairChooser m_chooser;
    PanelColour m_panelColour = PanelColour::Silver;
};

// The edge in pixels of the motivating picture at an error rate of v percent (10 to 32):
// floor(13 * (75 v - 200) / 440), 16 at 10 % and exactly 65 at 32 %.
int PictureSize(double errorRate);
