#include "drill_window.h"

#include "drill_session.h"

#include "assessment/alternatives.h"
#include "assessment/answer_judge.h"
#include "core/helpers.h"
#include "vocabulary/vocabulary_store.h"
#include "widgets/animated_picture.h"
#include "widgets/prompts.h"
#include "widgets/screen_place.h"
#include "widgets/virtual_keys.h"
#include "widgets/window_parts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(DrillWindow)
};

const QColor silver(192, 192, 192);
const QColor lime(0, 255, 0);
const QColor red(255, 0, 0);
const QColor magenta(255, 0, 255);
const QColor aqua(0, 255, 255);
const QColor lightYellow(255, 255, 128);

QString criteriaHint()
{
    return Texts::tr("zde bude informace o kriteriu");
}

// The aqua version badge behind the version label.
class EllipseShape : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::black);
        painter.setBrush(aqua);
        painter.drawEllipse(rect().adjusted(0, 0, -1, -1));
    }
};

template<typename Widget>
Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

void setBackground(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// A display-only field: disabled, but its text stays black and readable.
QLineEdit *displayField(QWidget *parent, const char *name, const QRect &place, const QFont &font)
{
    auto *field = named(new QLineEdit(parent), name);
    field->setGeometry(place);
    field->setEnabled(false);
    field->setFont(font);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    field->setPalette(palette);
    return field;
}

// The line under the answer as rich text: differing letters in red, a missing letter as a red
// caret, surplus letters struck through, letters the answer left out underlined.
QString noteHtml(const AnswerNote &note)
{
    QString html = QStringLiteral("<span style=\"white-space:pre\">");
    for (const MarkedPiece &piece : note.marked.pieces) {
        const QString text = piece.text.toHtmlEscaped();
        switch (piece.mark) {
        case DifferenceMark::Same:
            html += text;
            break;
        case DifferenceMark::Wrong:
            html += QStringLiteral("<span style=\"color:#ff0000\">%1</span>").arg(text);
            break;
        case DifferenceMark::Gap:
            html += QStringLiteral("<span style=\"color:#ff0000\">\u2038</span>");
            break;
        case DifferenceMark::Surplus:
            html += QStringLiteral(
                        "<span style=\"color:#ff0000; text-decoration:line-through\">%1</span>")
                        .arg(text);
            break;
        case DifferenceMark::Lacking:
            html += QStringLiteral(
                        "<span style=\"color:#ff0000; text-decoration:underline\">%1</span>")
                        .arg(text);
            break;
        }
    }
    if (!note.remark.isEmpty()) {
        if (!note.marked.pieces.isEmpty())
            html += QStringLiteral("   ");
        html += QStringLiteral("<span style=\"font-size:8pt\">%1</span>")
                    .arg(note.remark.toHtmlEscaped());
    }
    return html + QStringLiteral("</span>");
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &place,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *result = named(new QLabel(text, parent), name);
    result->setGeometry(place);
    result->setAlignment(alignment);
    return result;
}

} // namespace

DrillWindow::DrillWindow(DrillSession &session, Prompts &prompts, QWidget *parent)
    : QMainWindow(parent)
    , m_session(session)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Texts::tr("Zkoušení slovíček:"));
    QFont formFont = font();
    formFont.setPointSize(8);
    formFont.setBold(true);
    setFont(formFont);
    QWidget *client = createClientArea();
    createCaptionAndBadge(client);
    createAnswerControls(client);
    createCriterionPanel(client);
    createCounters(client);
    // Disabled fields take no focus, so the chain runs button, answer, comments.
    setTabOrder(m_nextButton, m_answer);
    setTabOrder(m_answer, m_offeredComment);
    setTabOrder(m_offeredComment, m_answerComment);
    resize(668, 322);
    m_drillHeight = height();
    PlaceOnScreen(this, QPoint(233, 151));

    connect(&session, &DrillSession::changed, this, &DrillWindow::showSession);
    connect(&session, &DrillSession::pairOffered, this, &DrillWindow::showOfferedPair);
    connect(&session, &DrillSession::pairLeft, this, &DrillWindow::emptyAnswer);
    // F4 says the offered word again, wherever the focus is in the window.
    auto *sayAgain = new QShortcut(QKeySequence(Qt::Key_F4), this);
    sayAgain->setObjectName(QStringLiteral("SayAgain"));
    connect(sayAgain, &QShortcut::activated, &session, &DrillSession::sayOfferedAgain);
}

QWidget *DrillWindow::createClientArea()
{
    auto *client = named(new QWidget(this), "ClientArea");
    client->setMinimumSize(660, 262);
    setBackground(client, QPalette::Window, silver);
    // On a screen too small for the window (a large scale factor) the drill scrolls.
    auto *scroll = named(new QScrollArea(this), "ClientScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(client);
    setCentralWidget(scroll);
    return client;
}

void DrillWindow::createCaptionAndBadge(QWidget *client)
{
    m_dictionaryCaption
        = label(client, "Label11", NoVocabularyCaption(), QRect(108, 2, 350, 16), Qt::AlignCenter);
    QPalette redText = m_dictionaryCaption->palette();
    redText.setColor(QPalette::WindowText, red);
    m_dictionaryCaption->setPalette(redText);

    label(client, "Label13", Texts::tr("slova:"), QRect(528, 14, 60, 16));
    auto *badge = named(new EllipseShape(client), "Shape1");
    badge->setGeometry(590, 4, 41, 25);
    QLabel *version
        = label(client, "Label10", QStringLiteral("v.1.5"), QRect(590, 4, 41, 25), Qt::AlignCenter);
    version->setPalette(redText);
    QFont small = version->font();
    small.setPointSize(7);
    version->setFont(small);
}

void DrillWindow::createAnswerControls(QWidget *client)
{
    label(client, "Label1", Texts::tr("testovaný výraz:"), QRect(0, 28, 124, 18),
          Qt::AlignRight | Qt::AlignVCenter);
    QFont answerFont = font();
    answerFont.setPointSize(10);
    m_offeredText = displayField(client, "Edit1", QRect(128, 24, 321, 24), answerFont);

    m_offeredComment = named(new QLineEdit(client), "Edit11");
    m_offeredComment->setGeometry(144, 50, 305, 24);
    setBackground(m_offeredComment, QPalette::Base, lightYellow);
    m_offeredComment->hide();

    m_answerPanel = named(new QFrame(client), "Panel1");
    m_answerPanel->setGeometry(56, 80, 401, 41);
    m_answerPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    setBackground(m_answerPanel, QPalette::Window, silver);
    label(m_answerPanel, "Label2", Texts::tr("překlad:"), QRect(8, 12, 62, 18));
    m_answer = named(new QLineEdit(m_answerPanel), "Edit2");
    m_answer->setGeometry(72, 9, 321, 24);
    m_answer->setFont(answerFont);
    m_answer->installEventFilter(this);

    m_answerComment = named(new QLineEdit(client), "Edit12");
    m_answerComment->setGeometry(144, 122, 305, 24);
    setBackground(m_answerComment, QPalette::Base, lightYellow);
    m_answerComment->hide();

    // Where the answer differs, shown only when the user asked for it.
    m_answerNote = label(client, "AnswerNote", QString(), QRect(56, 148, 592, 24));
    m_answerNote->setTextFormat(Qt::RichText);
    m_answerNote->setFont(answerFont);
    m_answerNote->hide();

    m_nextButton = named(new QPushButton(Texts::tr("další"), client), "Button1");
    m_nextButton->setGeometry(160, 176, 73, 33);
    m_nextButton->installEventFilter(this);
    connect(m_nextButton, &QPushButton::clicked, this, &DrillWindow::offerNextPair);

    m_picture = named(new AnimatedPicture(QStringLiteral(":/assets/devil.gif"), client),
                      "RxGIFAnimator1");
    m_picture->setGeometry(56, 176, 64, 64);
    m_picture->hide();
}

void DrillWindow::createCriterionPanel(QWidget *client)
{
    m_criterionPanel
        = named(new QGroupBox(Texts::tr("kriteria pro proc. vyhodnocení:"), client), "GroupBox1");
    m_criterionPanel->setGeometry(272, 176, 313, 73);
    QFont courier = FixedPitchFont();
    courier.setPointSize(8);
    m_criterionPanel->setFont(courier);
    setBackground(m_criterionPanel, QPalette::Window, aqua);
    m_criterionPanel->setToolTip(criteriaHint());
    m_criterionPanel->hide();
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    label(m_criterionPanel, "Label3", Texts::tr("požadavek"), QRect(9, 16, 73, 14), right);
    label(m_criterionPanel, "Label8", Texts::tr("dosaženo"), QRect(113, 16, 73, 14), right);
    label(m_criterionPanel, "Label9", Texts::tr("kriterium"), QRect(220, 16, 73, 14), right);
    m_criterionThreshold = displayField(m_criterionPanel, "Edit8", QRect(17, 32, 65, 20), courier);
    m_criterionAchieved = displayField(m_criterionPanel, "Edit9", QRect(121, 32, 65, 20), courier);
    m_criterionNumber = displayField(m_criterionPanel, "Edit10", QRect(228, 32, 65, 20), courier);
    m_criterionText = label(m_criterionPanel, "Label12", QString(), QRect(16, 55, 281, 14));
}

void DrillWindow::createCounters(QWidget *client)
{
    QFont counterFont = SerifFont();
    counterFont.setPointSize(8);
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    label(client, "Label6", Texts::tr("celkem:"), QRect(440, 32, 84, 20), right);
    label(client, "Label4", Texts::tr("správně:"), QRect(440, 52, 84, 20), right);
    label(client, "Label5", Texts::tr("chybně:"), QRect(440, 72, 84, 20), right);
    label(client, "Label7", Texts::tr("%%:"), QRect(600, 32, 32, 20));
    m_totalCount = displayField(client, "Edit3", QRect(528, 32, 57, 20), counterFont);
    m_correctCount = displayField(client, "Edit4", QRect(528, 52, 57, 20), counterFont);
    m_wrongCount = displayField(client, "Edit5", QRect(528, 72, 57, 20), counterFont);
    m_successPercent = displayField(client, "Edit6", QRect(590, 52, 54, 20), counterFont);
    m_errorPercent = displayField(client, "Edit7", QRect(590, 72, 54, 20), counterFont);

    // The review schedule's day, below the counters where no other mode shows anything.
    m_scheduleCounts = label(client, "ScheduleCounts", QString(), QRect(464, 100, 184, 40), right);
    m_scheduleCounts->hide();

    m_errorGauge = named(new QProgressBar(client), "Gauge2");
    m_errorGauge->setGeometry(600, 176, 25, 57);
    m_errorGauge->setOrientation(Qt::Vertical);
    m_errorGauge->setRange(0, 100);
    m_errorGauge->setValue(0);
    m_errorGauge->setTextVisible(false);
    m_errorGauge->setStyleSheet(
        QStringLiteral("QProgressBar { background: rgb(0, 255, 0); "
                       "border: 1px solid black; }"
                       "QProgressBar::chunk { background: rgb(255, 0, 0); }"));
}

// As if moved there by the keyboard, so that the button shows that Enter presses it.
void DrillWindow::focusNextButton()
{
    m_nextButton->setFocus(Qt::ShortcutFocusReason);
    setAttribute(Qt::WA_KeyboardFocusChange);
}

void DrillWindow::showNews(const QString &text)
{
    if (!m_news) {
        // Wrapped, so that a long sentence is read whole; it takes no focus and no key.
        m_news = named(new QLabel(this), "News");
        m_news->setWordWrap(true);
        m_news->setTextInteractionFlags(Qt::NoTextInteraction);
        statusBar()->addWidget(m_news, 1);
        m_newsTimer = new QTimer(this);
        m_newsTimer->setSingleShot(true);
        connect(m_newsTimer, &QTimer::timeout, this, [this] {
            m_news->clear();
            statusBar()->hide();
            // Back to the drill's own height, unless the user sized the window meanwhile.
            if (height() == m_grownTo)
                resize(width(), m_drillHeight);
        });
    }
    m_news->setText(text);
    statusBar()->show();
    // The drill keeps its room: the window grows by the lines the news takes.
    const int newsHeight = m_news->heightForWidth(std::max(200, width() - 24)) + 6;
    statusBar()->setFixedHeight(newsHeight);
    const int wanted = m_drillHeight + newsHeight;
    if (height() < wanted) {
        resize(width(), wanted);
        m_grownTo = wanted;
    }
    m_newsTimer->start(NewsShownMs);
}

void DrillWindow::takeBackFocus()
{
    activateWindow();
    raise();
    // Where the drill goes on: typing the answer, or pressing "další".
    if (m_session.hasPair() && m_session.answerState() == AnswerState::Unanswered)
        m_answer->setFocus(Qt::OtherFocusReason);
    else
        focusNextButton();
}

PanelColour DrillWindow::panelColour() const
{
    switch (m_session.answerState()) {
    case AnswerState::Correct:
        return PanelColour::Lime;
    case AnswerState::Wrong:
        return PanelColour::Red;
    case AnswerState::Revealed:
        return PanelColour::Magenta;
    case AnswerState::Unanswered:
        break;
    }
    return PanelColour::Silver;
}

void DrillWindow::showSession()
{
    m_dictionaryCaption->setText(m_session.dictionaryCaption());
    m_offeredText->setText(m_session.offered().text);
    m_offeredText->setCursorPosition(0);
    showComment(m_offeredComment, m_session.offered().comment, m_shownOfferedComment);
    showComment(m_answerComment, m_session.answerComment(), m_shownAnswerComment);
    static const QColor colours[] = {silver, lime, red, magenta};
    setBackground(m_answerPanel, QPalette::Window, colours[int(panelColour())]);
    m_criterionPanel->setVisible(m_session.criterionPanelVisible());
    showCriterion();
    showAnswerNote();
    showCounters();
    const std::optional<ScheduleCounts> schedule = m_session.scheduleCounts();
    if (schedule)
        m_scheduleCounts->setText(
            Texts::tr("k opakování dnes: %1\nnových: %2").arg(schedule->due).arg(schedule->fresh));
    m_scheduleCounts->setVisible(schedule.has_value());
}

void DrillWindow::showComment(QLineEdit *field, const QString &comment, QString &shown)
{
    if (comment != shown) {
        field->setText(comment);
        shown = comment;
    }
    field->setVisible(!comment.isEmpty());
}

void DrillWindow::showCriterion()
{
    const Verdict &verdict = m_session.lastVerdict();
    const bool accepted = verdict.judged && verdict.correct;
    m_criterionThreshold->setText(accepted ? PadLeft(verdict.threshold, 3) : QString());
    m_criterionAchieved->setText(accepted ? FormatFixed(verdict.achieved) : QString());
    m_criterionNumber->setText(accepted ? PadLeft(verdict.criterion, 3) : QString());
    const int criterion = m_session.lastAcceptedCriterion();
    const QString text = criterion >= 0 ? CriterionText(criterion) : QString();
    m_criterionPanel->setToolTip(criterion >= 0 ? text : criteriaHint());
    m_criterionText->setText(text);
}

void DrillWindow::showAnswerNote()
{
    const AnswerNote &note = m_session.answerNote();
    m_answerNote->setText(noteHtml(note));
    m_answerNote->setAccessibleName(note.spoken());
    m_answerNote->setVisible(!note.isEmpty());
}

void DrillWindow::showCounters()
{
    m_picture->setVisible(m_session.pictureShown());
    if (!m_session.countersShown())
        return;
    const CounterDisplay counters = m_session.counters();
    m_totalCount->setText(counters.total);
    m_correctCount->setText(counters.correct);
    m_wrongCount->setText(counters.wrong);
    m_successPercent->setText(counters.successPercent);
    if (counters.pictureEdge > 0)
        m_picture->resize(counters.pictureEdge, counters.pictureEdge);
    m_errorPercent->setText(counters.errorPercent);
    m_errorGauge->setValue(counters.gauge);
}

void DrillWindow::offerNextPair()
{
    if (!m_session.canOffer()) {
        m_prompts.notice(this, EmptyVocabularyMessage());
        return;
    }
    m_session.offerNextPair();
}

// The session put a new pair on screen, whoever asked for it.
void DrillWindow::showOfferedPair(bool tooManyAlternatives)
{
    if (tooManyAlternatives)
        m_prompts.notice(this, TooManyAlternativesMessage());
    emptyAnswer();
    m_answer->setFocus();
    emit pairOffered();
}

// setText, unlike clear(), leaves no undo step behind: the answer field of a long run keeps no
// history of every answer.
void DrillWindow::emptyAnswer()
{
    m_answer->setText(QString());
}

void DrillWindow::answerKeyPressed(int key)
{
    m_session.answerEdited();
    // Before the first pair there is nothing to judge, reveal or count.
    if (!m_session.hasPair())
        return;
    if (key == VirtualKey::Enter)
        checkAnswer();
    else if (key == VirtualKey::F1)
        revealAndCount();
}

void DrillWindow::checkAnswer()
{
    m_session.checkAnswer(m_answer->text());
    focusNextButton();
}

void DrillWindow::revealAndCount()
{
    m_answer->setText(m_session.revealAndCount(m_answer->text()));
    focusNextButton();
}

bool DrillWindow::nextButtonKeyPressed(int key, const QString &text)
{
    if (key == VirtualKey::F1) {
        if (!m_session.hasPair())
            return true;
        m_answer->setText(m_session.revealWithoutCounting());
        focusNextButton();
        return true;
    }
    // A key that types a character starts a new answer to the same pair with it.
    const QString typed = m_session.startNewAnswer(text);
    if (typed.isEmpty())
        return false;
    m_answer->setText(typed);
    m_answer->setFocus();
    m_answer->setCursorPosition(int(typed.size()));
    return true;
}

void DrillWindow::answerDoubleClicked()
{
    if (!m_session.hasPair())
        return;
    m_answer->setText(m_session.showExpectedSide());
}

// ---- activation ----

void DrillWindow::changeEvent(QEvent *event)
{
    // The picture animates only while this window is active.
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            m_picture->start();
        else
            m_picture->stop();
    }
    QMainWindow::changeEvent(event);
}

bool DrillWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_answer && event->type() == QEvent::KeyPress) {
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        // Alt with a letter that no menu takes types nothing.
        if (keyEvent->modifiers().testFlag(Qt::AltModifier)
            && !keyEvent->modifiers().testFlag(Qt::ControlModifier) && !keyEvent->text().isEmpty())
            return true;
        const int key = VirtualKeyCode(*keyEvent);
        answerKeyPressed(key);
        return key == VirtualKey::Enter || key == VirtualKey::F1;
    }
    if (watched == m_answer && event->type() == QEvent::MouseButtonDblClick) {
        answerDoubleClicked();
        return true;
    }
    if (watched == m_nextButton && event->type() == QEvent::KeyPress) {
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        const int key = VirtualKeyCode(*keyEvent);
        // Enter presses the focused button; Tab and the arrows move the focus.
        if (key == VirtualKey::Enter) {
            m_nextButton->click();
            return true;
        }
        switch (keyEvent->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            return false;
        default:
            return nextButtonKeyPressed(key, keyEvent->text());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
