#pragma once

#include <QMainWindow>

class AnimatedPicture;
class DrillSession;
class Prompts;
class QFrame;
class QGroupBox;
class QLabel;
class QTimer;
class QLineEdit;
class QProgressBar;
class QPushButton;

// The colour of the frame around the answer field: the state of the answer on screen.
enum class PanelColour { Silver, Lime, Red, Magenta };

// The main window: a view of the drill. It turns keys and clicks into calls of the drill
// session and shows the session whenever it changes; the main menu is filled in by the
// application.
class DrillWindow : public QMainWindow
{
    Q_OBJECT
public:
    DrillWindow(DrillSession &session, Prompts &prompts, QWidget *parent = nullptr);

    // "další": the next pair, or a message when the dictionary has none.
    void offerNextPair();

    // After another window or a message closed: this window is active again, the focus where
    // the drill goes on.
    void takeBackFocus();

    PanelColour panelColour() const;

    // A line at the window's foot that says what came in meanwhile (from the user's other
    // computers): no box, so that no key meant for the drill is taken from it.
    void showNews(const QString &text);
    static constexpr int NewsShownMs = 20000;

signals:
    // A pair was put on screen; start-up measurements wait for the first one.
    void pairOffered();

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createClientArea();
    void createCaptionAndBadge(QWidget *client);
    void createAnswerControls(QWidget *client);
    void createCriterionPanel(QWidget *client);
    void createCounters(QWidget *client);
    // Everything the session shows, as it stands now.
    void showSession();
    void showCounters();
    void showCriterion();
    void showAnswerNote();
    void showComment(QLineEdit *field, const QString &comment, QString &shown);
    void showOfferedPair(bool tooManyAlternatives);
    void emptyAnswer();
    void focusNextButton();
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
    QLabel *m_news = nullptr; // the news line, made with the first news
    QTimer *m_newsTimer = nullptr;
    int m_drillHeight = 0; // the window's height without the news line
    int m_grownTo = -1;    // the height the news line made it
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
    QLabel *m_scheduleCounts = nullptr;
    QLabel *m_answerNote = nullptr;
    QProgressBar *m_errorGauge = nullptr;
    // The comments last put on show: what the user typed into a comment field stays until
    // the comment changes.
    QString m_shownOfferedComment;
    QString m_shownAnswerComment;
};
