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

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>

namespace {

const QColor silver(192, 192, 192);
const QColor lime(0, 255, 0);
const QColor red(255, 0, 0);
const QColor magenta(255, 0, 255);
const QColor aqua(0, 255, 255);
const QColor lightYellow(255, 255, 128);

const QString criteriaHint = QStringLiteral("zde bude informace o kriteriu");

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
    setWindowTitle(QStringLiteral("Zkoušení slovíček:"));
    QFont formFont = font();
    formFont.setPointSize(8);
    formFont.setBold(true);
    setFont(formFont);
    buildControls();
    resize(668, 322);
    PlaceOnScreen(this, QPoint(233, 151));
}

void DrillWindow::buildControls()
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

    m_dictionaryCaption
        = label(client, "Label11", NoVocabularyCaption, QRect(108, 2, 350, 16), Qt::AlignCenter);
    QPalette redText = m_dictionaryCaption->palette();
    redText.setColor(QPalette::WindowText, red);
    m_dictionaryCaption->setPalette(redText);

    label(client, "Label13", QStringLiteral("slova:"), QRect(528, 14, 60, 16));
    auto *shape = named(new EllipseShape(client), "Shape1");
    shape->setGeometry(590, 4, 41, 25);
    QLabel *version
        = label(client, "Label10", QStringLiteral("v.1.5"), QRect(590, 4, 41, 25), Qt::AlignCenter);
    version->setPalette(redText);
    QFont small = version->font();
    small.setPointSize(7);
    version->setFont(small);

    label(client, "Label1", QStringLiteral("testovaný výraz:"), QRect(0, 28, 124, 18),
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
    label(m_answerPanel, "Label2", QStringLiteral("překlad:"), QRect(8, 12, 62, 18));
    m_answer = named(new QLineEdit(m_answerPanel), "Edit2");
    m_answer->setGeometry(72, 9, 321, 24);
    m_answer->setFont(answerFont);
    m_answer->installEventFilter(this);

    m_answerComment = named(new QLineEdit(client), "Edit12");
    m_answerComment->setGeometry(144, 122, 305, 24);
    setBackground(m_answerComment, QPalette::Base, lightYellow);
    m_answerComment->hide();

    m_nextButton = named(new QPushButton(QStringLiteral("další"), client), "Button1");
    m_nextButton->setGeometry(160, 176, 73, 33);
    m_nextButton->installEventFilter(this);
    connect(m_nextButton, &QPushButton::clicked, this, &DrillWindow::offerNextPair);

    m_picture = named(new AnimatedPicture(QStringLiteral(":/assets/devil.gif"), client),
                      "RxGIFAnimator1");
    m_picture->setGeometry(56, 176, 64, 64);
    m_picture->hide();

    m_criterionPanel = named(
        new QGroupBox(QStringLiteral("kriteria pro proc. vyhodnocení:"), client), "GroupBox1");
    m_criterionPanel->setGeometry(272, 176, 313, 73);
    QFont courier = FixedPitchFont();
    courier.setPointSize(8);
    m_criterionPanel->setFont(courier);
    setBackground(m_criterionPanel, QPalette::Window, aqua);
    m_criterionPanel->setToolTip(criteriaHint);
    m_criterionPanel->hide();
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    label(m_criterionPanel, "Label3", QStringLiteral("požadavek"), QRect(9, 16, 73, 14), right);
    label(m_criterionPanel, "Label8", QStringLiteral("dosaženo"), QRect(113, 16, 73, 14), right);
    label(m_criterionPanel, "Label9", QStringLiteral("kriterium"), QRect(220, 16, 73, 14), right);
    m_criterionThreshold = displayField(m_criterionPanel, "Edit8", QRect(17, 32, 65, 20), courier);
    m_criterionAchieved = displayField(m_criterionPanel, "Edit9", QRect(121, 32, 65, 20), courier);
    m_criterionNumber = displayField(m_criterionPanel, "Edit10", QRect(228, 32, 65, 20), courier);
    m_criterionText = label(m_criterionPanel, "Label12", QString(), QRect(16, 55, 281, 14));

    QFont counterFont = SerifFont();
    counterFont.setPointSize(8);
    label(client, "Label6", QStringLiteral("celkem:"), QRect(440, 32, 84, 20), right);
    label(client, "Label4", QStringLiteral("správně:"), QRect(440, 52, 84, 20), right);
    label(client, "Label5", QStringLiteral("chybně:"), QRect(440, 72, 84, 20), right);
    label(client, "Label7", QStringLiteral("%%:"), QRect(600, 32, 32, 20));
    m_totalCount = displayField(client, "Edit3", QRect(528, 32, 57, 20), counterFont);
    m_correctCount = displayField(client, "Edit4", QRect(528, 52, 57, 20), counterFont);
    m_wrongCount = displayField(client, "Edit5", QRect(528, 72, 57, 20), counterFont);
    m_successPercent = displayField(client, "Edit6", QRect(590, 52, 54, 20), counterFont);
    m_errorPercent = displayField(client, "Edit7", QRect(590, 72, 54, 20), counterFont);

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

    // Disabled fields take no focus, so the chain runs button, answer, comments.
    setTabOrder(m_nextButton, m_answer);
    setTabOrder(m_answer, m_offeredComment);
    setTabOrder(m_offeredComment, m_answerComment);
}

// As if moved there by the keyboard, so that the button shows that Enter presses it.
void DrillWindow::focusNextButton()
{
    m_nextButton->setFocus(Qt::ShortcutFocusReason);
    setAttribute(Qt::WA_KeyboardFocusChange);
}

void DrillWindow::takeBackFocus()
{
    activateWindow();
    raise();
    // Where the drill goes on: typing the answer, or pressing "další".
    if (m_session.hasPair() && m_session.panelColour() == PanelColour::Silver)
        m_answer->setFocus(Qt::OtherFocusReason);
    else
        focusNextButton();
}

PanelColour DrillWindow::panelColour() const
{
    return m_session.panelColour();
}

void DrillWindow::showPanelColour()
{
    static const QColor colours[] = {silver, lime, red, magenta};
    setBackground(m_answerPanel, QPalette::Window, colours[int(m_session.panelColour())]);
}

void DrillWindow::offerNextPair()
{
    if (!m_session.canOffer()) {
        m_prompts.notice(this, EmptyVocabularyMessage);
        return;
    }
    m_offeredComment->setText(QString());
    m_offeredComment->hide();
    m_answerComment->setText(QString());
    m_answerComment->hide();
    const OfferedPair offered = m_session.offerNextPair();
    m_offeredText->setText(offered.text);
    m_offeredText->setCursorPosition(0);
    if (offered.tooManyAlternatives)
        m_prompts.notice(this, TooManyAlternativesMessage);
    if (!offered.comment.isEmpty()) {
        m_offeredComment->setText(offered.comment);
        m_offeredComment->show();
    }
    // setText, unlike clear(), leaves no undo step behind: the answer field of a long run
    // keeps no history of every answer.
    m_answer->setText(QString());
    showPanelColour();
    m_answer->setFocus();
    emit pairOffered();
}

void DrillWindow::showCounters()
{
    const CounterDisplay counters = m_session.counters();
    m_totalCount->setText(counters.total);
    m_correctCount->setText(counters.correct);
    m_wrongCount->setText(counters.wrong);
    m_successPercent->setText(counters.successPercent);
    // Switched off, the picture keeps its visibility: it was hidden when switched off.
    if (counters.pictureEdge == 0) {
        m_picture->hide();
    } else {
        m_picture->resize(counters.pictureEdge, counters.pictureEdge);
        if (counters.showPicture)
            m_picture->show();
    }
    m_errorPercent->setText(counters.errorPercent);
    m_errorGauge->setValue(counters.gauge);
}

void DrillWindow::clearPair()
{
    m_session.leavePair();
    m_offeredText->setText(QString());
    m_answer->setText(QString());
    m_offeredComment->hide();
    m_answerComment->hide();
}

void DrillWindow::showDictionaryCaption(const QString &caption)
{
    m_dictionaryCaption->setText(caption);
}

void DrillWindow::setCriterionPanelVisible(bool visible)
{
    m_criterionPanel->setVisible(visible);
}

void DrillWindow::hidePicture()
{
    m_picture->hide();
}

void DrillWindow::showAnswerComment(const QString &comment)
{
    if (!comment.isEmpty()) {
        m_answerComment->setText(comment);
        m_answerComment->show();
    }
}

void DrillWindow::answerKeyPressed(int key)
{
    m_session.answerEdited();
    showPanelColour();
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
    const Verdict verdict = m_session.checkAnswer(m_answer->text());
    if (verdict.judged) {
        showPanelColour();
        showCounters();
        emit answerCounted();
        if (verdict.correct) {
            m_criterionThreshold->setText(PadLeft(verdict.threshold, 3));
            m_criterionAchieved->setText(FormatFixed(verdict.achieved));
            m_criterionNumber->setText(PadLeft(verdict.criterion, 3));
            m_criterionPanel->setToolTip(CriterionText(verdict.criterion));
            m_criterionText->setText(m_criterionPanel->toolTip());
        } else {
            m_criterionThreshold->setText(QString());
            m_criterionAchieved->setText(QString());
            m_criterionNumber->setText(QString());
        }
    }
    focusNextButton();
    showAnswerComment(verdict.answerComment);
}

void DrillWindow::revealAndCount()
{
    const Revealed revealed = m_session.revealAndCount();
    showAnswerComment(revealed.answerComment);
    m_answer->setText(revealed.expected);
    showCounters();
    emit answerCounted();
    focusNextButton();
    showPanelColour();
}

bool DrillWindow::nextButtonKeyPressed(int key, const QString &text)
{
    if (key == VirtualKey::F1) {
        if (!m_session.hasPair())
            return true;
        m_answer->setText(m_session.revealWithoutCounting());
        focusNextButton();
        showPanelColour();
        return true;
    }
    // A key that types a character starts a new answer to the same pair with it.
    const QString typed = m_session.startNewAnswer(text);
    if (typed.isEmpty())
        return false;
    showPanelColour();
    m_answer->setText(typed);
    m_answer->setFocus();
    m_answer->setCursorPosition(int(typed.size()));
    return true;
}

void DrillWindow::answerDoubleClicked()
{
    if (!m_session.hasPair())
        return;
    const Revealed shown = m_session.showExpectedSide();
    m_answer->setText(shown.expected);
    showAnswerComment(shown.answerComment);
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
