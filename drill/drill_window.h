#pragma once

#include <QMainWindow>

class AnimatedPicture;
class DrillSession;
class Prompts;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
enum class PanelColour;
struct CounterDisplay;

// The main window: a view of the drill. It turns keys and clicks into calls of the drill
// session and shows what they return; the main menu is filled in by the application.
class DrillWindow : public QMainWindow
{
    Q_OBJECT
public:
    DrillWindow(DrillSession &session, Prompts &prompts, QWidget *parent = nullptr);

    // "další": the next pair, or a message when the dictionary has none.
    void offerNextPair();
    // The run's counters as they stand now.
    void showCounters();
    // No pair of the current dictionary is on screen any more.
    void clearPair();
    void showDictionaryCaption(const QString &caption);
    void setCriterionPanelVisible(bool visible);
    void hidePicture();

    // After another window or a message closed: this window is active again, the focus where
    // the drill goes on.
    void takeBackFocus();

    PanelColour panelColour() const;

signals:
    // A pair was put on screen; start-up measurements wait for the first one.
    void pairOffered();
    // An answer was counted in the pair's and the run's counters.
    void answerCounted();

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void showPanelColour();
    void focusNextButton();
    void showAnswerComment(const QString &comment);
    void answerKeyPressed(int key);
    bool nextButtonKeyPressed(int key, const QString &text);
    void answerDoubleClicked();
    void checkAnswer();
    void revealAndCount();

    DrillSession &m_session;
    Prompts &m_prompts;

    QLabel *m_dictionaryCaption = nullptr;
    QLineEdit *m_offeredText = nullptr;
    QLineEdit *m_offeredComment = nullptr;
    QFrame *m_answerPanel = nullptr;
    QLineEdit *m_answer = nullptr;
    QLineEdit *m_answerComment = nullptr;
    QPushButton *m_nextButton = nullptr;
    AnimatedPicture *m_picture = nullptr;
    QGroupBox *m_criterionPanel = nullptr;
    QLineEdit *m_totalCount = nullptr;
    QLineEdit *m_correctCount = nullptr;
    QLineEdit *m_wrongCount = nullptr;
    QLineEdit *m_successPercent = nullptr;
    QLineEdit *m_errorPercent = nullptr;
    QLineEdit *m_criterionThreshold = nullptr;
    QLineEdit *m_criterionAchieved = nullptr;
    QLineEdit *m_criterionNumber = nullptr;
    QLabel *m_criterionText = nullptr;
    QProgressBar *m_errorGauge = nullptr;
};
