#include "main_window.h"

#include "app/about_box.h"
#include "app/animated_picture.h"
#include "app/app_context.h"
#include "app/file_error.h"
#include "app/help_window.h"
#include "app/helpers.h"
#include "app/virtual_keys.h"
#include "assessment/alternatives.h"
#include "assessment/answer_judge.h"
#include "settings/settings_window.h"
#include "statistics/report_window.h"
#include "statistics/reports.h"
#include "vocabulary/current_window.h"
#include "vocabulary/editor_window.h"
#include "vocabulary/new_dictionary_window.h"
#include "vocabulary/selection_window.h"
#include "vocabulary/vocabulary_store.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

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

TForm1::TForm1(AppContext &context, QWidget *parent)
    : QMainWindow(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Zkoušení slovíček:"));
    QFont formFont = font();
    formFont.setPointSize(8);
    formFont.setBold(true);
    setFont(formFont);
    buildControls();
    buildMenu();
    move(233, 151);
    resize(668, 322);
}

void TForm1::buildControls()
{
    auto *client = named(new QWidget(this), "ClientArea");
    client->setMinimumSize(660, 262);
    setBackground(client, QPalette::Window, silver);
    setCentralWidget(client);

    m_label11
        = label(client, "Label11", NoVocabularyCaption, QRect(108, 2, 350, 16), Qt::AlignCenter);
    QPalette redText = m_label11->palette();
    redText.setColor(QPalette::WindowText, red);
    m_label11->setPalette(redText);

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
    m_edit1 = displayField(client, "Edit1", QRect(128, 24, 321, 24), answerFont);

    m_edit11 = named(new QLineEdit(client), "Edit11");
    m_edit11->setGeometry(144, 50, 305, 24);
    setBackground(m_edit11, QPalette::Base, lightYellow);
    m_edit11->hide();

    m_panel1 = named(new QFrame(client), "Panel1");
    m_panel1->setGeometry(56, 80, 401, 41);
    m_panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    setBackground(m_panel1, QPalette::Window, silver);
    label(m_panel1, "Label2", QStringLiteral("překlad:"), QRect(8, 12, 62, 18));
    m_edit2 = named(new QLineEdit(m_panel1), "Edit2");
    m_edit2->setGeometry(72, 9, 321, 24);
    m_edit2->setFont(answerFont);
    m_edit2->installEventFilter(this);

    m_edit12 = named(new QLineEdit(client), "Edit12");
    m_edit12->setGeometry(144, 122, 305, 24);
    setBackground(m_edit12, QPalette::Base, lightYellow);
    m_edit12->hide();

    m_button1 = named(new QPushButton(QStringLiteral("další"), client), "Button1");
    m_button1->setGeometry(160, 176, 73, 33);
    m_button1->installEventFilter(this);
    connect(m_button1, &QPushButton::clicked, this,
            [this] { runCommand([this] { Button1Click(); }); });

    m_picture = named(new AnimatedPicture(QStringLiteral(":/assets/devil.gif"), client),
                      "RxGIFAnimator1");
    m_picture->setGeometry(56, 176, 64, 64);
    m_picture->hide();

    m_groupBox1 = named(new QGroupBox(QStringLiteral("kriteria pro proc. vyhodnocení:"), client),
                        "GroupBox1");
    m_groupBox1->setGeometry(272, 176, 313, 73);
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::Monospace);
    courier.setPointSize(8);
    m_groupBox1->setFont(courier);
    setBackground(m_groupBox1, QPalette::Window, aqua);
    m_groupBox1->setToolTip(criteriaHint);
    m_groupBox1->hide();
    const auto right = Qt::AlignRight | Qt::AlignVCenter;
    label(m_groupBox1, "Label3", QStringLiteral("požadavek"), QRect(9, 16, 73, 14), right);
    label(m_groupBox1, "Label8", QStringLiteral("dosaženo"), QRect(113, 16, 73, 14), right);
    label(m_groupBox1, "Label9", QStringLiteral("kriterium"), QRect(220, 16, 73, 14), right);
    m_edit8 = displayField(m_groupBox1, "Edit8", QRect(17, 32, 65, 20), courier);
    m_edit9 = displayField(m_groupBox1, "Edit9", QRect(121, 32, 65, 20), courier);
    m_edit10 = displayField(m_groupBox1, "Edit10", QRect(228, 32, 65, 20), courier);
    m_label12 = label(m_groupBox1, "Label12", QString(), QRect(16, 55, 281, 14));

    QFont counterFont(QStringLiteral("Times New Roman"));
    counterFont.setStyleHint(QFont::Serif);
    counterFont.setPointSize(8);
    label(client, "Label6", QStringLiteral("celkem:"), QRect(440, 32, 84, 20), right);
    label(client, "Label4", QStringLiteral("správně:"), QRect(440, 52, 84, 20), right);
    label(client, "Label5", QStringLiteral("chybně:"), QRect(440, 72, 84, 20), right);
    label(client, "Label7", QStringLiteral("%%:"), QRect(600, 32, 32, 20));
    m_edit3 = displayField(client, "Edit3", QRect(528, 32, 57, 20), counterFont);
    m_edit4 = displayField(client, "Edit4", QRect(528, 52, 57, 20), counterFont);
    m_edit5 = displayField(client, "Edit5", QRect(528, 72, 57, 20), counterFont);
    m_edit6 = displayField(client, "Edit6", QRect(590, 52, 54, 20), counterFont);
    m_edit7 = displayField(client, "Edit7", QRect(590, 72, 54, 20), counterFont);

    m_gauge2 = named(new QProgressBar(client), "Gauge2");
    m_gauge2->setGeometry(600, 176, 25, 57);
    m_gauge2->setOrientation(Qt::Vertical);
    m_gauge2->setRange(0, 100);
    m_gauge2->setValue(0);
    m_gauge2->setTextVisible(false);
    m_gauge2->setStyleSheet(QStringLiteral("QProgressBar { background: rgb(0, 255, 0); "
                                           "border: 1px solid black; }"
                                           "QProgressBar::chunk { background: rgb(255, 0, 0); }"));

    // Disabled fields take no focus, so the chain runs button, answer, comments.
    setTabOrder(m_button1, m_edit2);
    setTabOrder(m_edit2, m_edit11);
    setTabOrder(m_edit11, m_edit12);
}

void TForm1::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    const auto item = [this](QMenu *menu, const char *name, const QString &text,
                             void (TForm1::*handler)(), const QKeySequence &shortcut = {}) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this,
                [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
        return action;
    };
    const auto submenu = [](QMenu *parent, const char *name, const QString &text) {
        QMenu *menu = parent->addMenu(text);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };

    QMenu *file = bar->addMenu(QStringLiteral("&Soubor"));
    file->setObjectName(QStringLiteral("Soubor1"));
    item(file, "Nati1", QStringLiteral("&Načti"), &TForm1::Nati1Click, QKeySequence(Qt::Key_F3));
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    QMenu *edit = submenu(file, "Edituj1", QStringLiteral("&Edituj"));
    item(edit, "Nov1", QStringLiteral("&Nový"), &TForm1::Nov1Click);
    item(edit, "Vbr1", QStringLiteral("&Výběr ..."), &TForm1::Vbr1Click);
    item(file, "Ukaaktuln1", QStringLiteral("Ukaž aktuální"), &TForm1::Ukaaktuln1Click);
    file->addSeparator()->setObjectName(QStringLiteral("N5"));
    item(file, "Konec1", QStringLiteral("&Konec"), &TForm1::Konec1Click,
         QKeySequence(Qt::ALT | Qt::Key_X));

    QMenu *statistics = bar->addMenu(QStringLiteral("S&tatistika"));
    statistics->setObjectName(QStringLiteral("Statistika1"));
    item(statistics, "etnosti1", QStringLiteral("Č&etnosti"), &TForm1::etnosti1Click);
    item(statistics, "Chybovosti1", QStringLiteral("&Chybovosti"), &TForm1::Chybovosti1Click);
    statistics->addSeparator()->setObjectName(QStringLiteral("N3"));
    QMenu *reset = submenu(statistics, "Vynulovat1", QStringLiteral("&Vynulovat"));
    QMenu *internal = submenu(reset, "Intern1", QStringLiteral("&Interní"));
    item(internal, "etnosti2", QStringLiteral("Č&etnosti"), &TForm1::etnosti2Click);
    item(internal, "Chybovosti2", QStringLiteral("&Chybovosti"), &TForm1::Chybovosti2Click);
    internal->addSeparator()->setObjectName(QStringLiteral("N4"));
    item(internal, "Vechny1", QStringLiteral("&Všechny"), &TForm1::Vechny1Click);
    item(reset, "Aktuln1", QStringLiteral("&Aktuální"), &TForm1::Aktuln1Click);

    QAction *options = bar->addAction(QStringLiteral("&Volby"));
    options->setObjectName(QStringLiteral("Volby1"));
    connect(options, &QAction::triggered, this, [this] { runCommand([this] { Volby1Click(); }); });

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    item(help, "Help2", QStringLiteral("&Help"), &TForm1::Help2Click);
    help->addSeparator()->setObjectName(QStringLiteral("N2"));
    item(help, "Oaplikaci1", QStringLiteral("&O aplikaci"), &TForm1::Oaplikaci1Click);
}

void TForm1::setSecondaryWindows(const SecondaryWindows &windows)
{
    m_windows = windows;
}

bool TForm1::runCommand(const std::function<void()> &command)
{
    try {
        command();
        return true;
    } catch (const FileError &error) {
        m_context.prompts.error(this, error.message());
        return false;
    }
}

bool TForm1::hasPair() const
{
    const int position = m_context.drill.CurrentPosition;
    return position >= 1 && position <= m_context.vocabulary.Count();
}

void TForm1::setPanelColour(PanelColour colour)
{
    static const QColor colours[] = {silver, lime, red, magenta};
    m_panelColour = colour;
    setBackground(m_panel1, QPalette::Window, colours[int(colour)]);
}

// ---- the drill ----

void TForm1::Button1Click()
{
    if (m_context.vocabulary.Count() == 0) {
        m_context.prompts.notice(this, EmptyVocabularyMessage);
        return;
    }
    OfferNextPair();
}

void TForm1::OfferNextPair()
{
    DrillState &drill = m_context.drill;
    m_edit11->clear();
    m_edit11->hide();
    m_edit12->clear();
    m_edit12->hide();
    drill.OfferedSide = ChooseOfferedSide(drill.OfferedSide, m_context.settings);
    drill.CurrentPosition
        = m_context.chooser.ChooseNextPair(m_context.vocabulary, m_context.settings);
    const VocabularyEntry &entry = m_context.vocabulary.At(drill.CurrentPosition);
    const OfferedText offered = PickOfferedText(entry.Side[drill.OfferedSide]);
    m_edit1->setText(offered.text);
    m_edit1->setCursorPosition(0);
    if (offered.tooMany)
        m_context.prompts.notice(this, TooManyAlternativesMessage);
    if (!entry.Comment[drill.OfferedSide].isEmpty()) {
        m_edit11->setText(entry.Comment[drill.OfferedSide]);
        m_edit11->show();
    }
    m_edit2->clear();
    setPanelColour(PanelColour::Silver);
    m_edit2->setFocus();
    drill.Revealed = false;
    emit pairOffered();
}

void TForm1::RecordAnswer(bool correct)
{
    DrillState &drill = m_context.drill;
    VocabularyEntry &entry = m_context.vocabulary.At(drill.CurrentPosition);
    IncrementCounter(entry.Offers[drill.OfferedSide]);
    if (!correct)
        IncrementCounter(entry.Errors[drill.OfferedSide]);
    IncrementCounter(correct ? drill.CorrectCount : drill.WrongCount);
    RefreshCounters();
}

void TForm1::RefreshCounters()
{
    const DrillState &drill = m_context.drill;
    const qint64 total = qint64(drill.CorrectCount) + drill.WrongCount;
    m_edit3->setText(PadLeft(int(total & 0xFFFF), 6));
    m_edit4->setText(PadLeft(drill.CorrectCount, 6));
    m_edit5->setText(PadLeft(drill.WrongCount, 6));
    const double success = total != 0 ? double(drill.CorrectCount) * 100.0 / double(total) : 0.0;
    m_edit6->setText(FormatFixed(success));

    const double errorRate = 100.0 - success;
    if (drill.WrongCount == 0 || errorRate < 10.0) {
        m_picture->hide();
    } else {
        const int edge = PictureSize(std::min(errorRate, 32.0));
        m_picture->resize(edge, edge);
        if (m_context.settings.Obrazek)
            m_picture->show();
    }

    if (total == 0) {
        m_edit7->setText(QStringLiteral("  0.00"));
        m_gauge2->setValue(0);
    } else {
        m_edit7->setText(FormatFixed(errorRate));
        m_gauge2->setValue(100 - int(success));
    }
}

void TForm1::ShowAnswerComment()
{
    const DrillState &drill = m_context.drill;
    const QString &comment
        = m_context.vocabulary.At(drill.CurrentPosition).Comment[3 - drill.OfferedSide];
    if (!comment.isEmpty()) {
        m_edit12->setText(comment);
        m_edit12->show();
    }
}

void TForm1::showExpectedSide()
{
    const DrillState &drill = m_context.drill;
    m_edit2->setText(m_context.vocabulary.At(drill.CurrentPosition).Side[3 - drill.OfferedSide]);
}

void TForm1::revealAnswer()
{
    showExpectedSide();
    m_context.drill.Revealed = true;
}

void TForm1::Edit2KeyDown(int key)
{
    setPanelColour(PanelColour::Silver);
    // Before the first pair there is nothing to judge, reveal or count.
    if (!hasPair())
        return;
    if (key == VirtualKey::Enter) {
        CheckAnswer();
        if (m_panelColour == PanelColour::Lime || m_context.settings.Komentar)
            ShowAnswerComment();
    } else if (key == VirtualKey::F1) {
        ShowAnswerComment();
        revealAnswer();
        RecordAnswer(false);
        m_button1->setFocus();
        setPanelColour(PanelColour::Magenta);
    }
}

bool TForm1::Button1KeyDown(int key, const QString &text)
{
    if (key == VirtualKey::F1) {
        if (!hasPair())
            return true;
        revealAnswer();
        m_button1->setFocus();
        setPanelColour(PanelColour::Magenta);
        return true;
    }
    // A key that types a character starts a new answer with it; letters come as capitals.
    QString typed = text.normalized(QString::NormalizationForm_C);
    if (typed.size() == 1 && typed.at(0).isLetter() && typed.at(0).unicode() < 128)
        typed = typed.toUpper();
    if (typed.isEmpty() || !typed.at(0).isPrint())
        return false;
    setPanelColour(PanelColour::Silver);
    m_edit2->setText(typed);
    m_edit2->setFocus();
    m_edit2->setCursorPosition(int(typed.size()));
    return true;
}

void TForm1::Edit2DblClick()
{
    if (!hasPair())
        return;
    showExpectedSide();
    ShowAnswerComment();
}

void TForm1::CheckAnswer()
{
    DrillState &drill = m_context.drill;
    if (drill.Revealed) {
        m_button1->setFocus();
        return;
    }
    const Settings &settings = m_context.settings;
    const QString typed = m_edit2->text().normalized(QString::NormalizationForm_C);
    const AssessmentResult result = JudgeTypedAnswer(
        typed, m_context.vocabulary.At(drill.CurrentPosition).Side[3 - drill.OfferedSide],
        AssessmentMode(settings.Hodnoceni), settings.ProcHodnoc);

    setPanelColour(result.correct() ? PanelColour::Lime : PanelColour::Red);
    RecordAnswer(result.correct());

    if (result.correct()) {
        m_edit8->setText(PadLeft(settings.ProcHodnoc, 3));
        m_edit9->setText(FormatFixed(result.Achieved));
        m_edit10->setText(PadLeft(result.Criterion, 3));
        m_groupBox1->setToolTip(CriterionText(result.Criterion));
        m_label12->setText(m_groupBox1->toolTip());
    } else {
        m_edit8->clear();
        m_edit9->clear();
        m_edit10->clear();
    }
    m_button1->setFocus();
}

// ---- loading and saving ----

void TForm1::LoadVocabulary(const QString &fileName)
{
    ReadCurrentVocabulary(m_context.vocabulary, fileName);
    DrillState &drill = m_context.drill;
    if (m_context.vocabulary.Count() > 0) {
        Button1Click();
        if (qint64(drill.CorrectCount) + drill.WrongCount > 0
            && m_context.prompts.confirm(this,
                                         QStringLiteral("Chcete vymazat aktuální statistiku?")))
            resetDrillCounters();
    } else {
        // No pair of the new dictionary is on screen: nothing can be answered or counted.
        drill.CurrentPosition = 0;
        m_edit1->clear();
        m_edit2->clear();
        m_edit11->hide();
        m_edit12->hide();
    }
    m_label11->setText(VocabularyCaption(m_context.vocabulary));
}

void TForm1::Nati1Click()
{
    if (m_windows.selection && m_windows.selection->exec() == QDialog::Accepted)
        LoadVocabulary(m_context.settings.Slovnik);
}

void TForm1::resetDrillCounters()
{
    m_context.drill.CorrectCount = 0;
    m_context.drill.WrongCount = 0;
    RefreshCounters();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    const bool saved = runCommand([this] { SaveVocabulary(m_context.vocabulary); });
    if (saved)
        event->accept();
    else
        event->ignore();
}

// ---- the rest of the menu ----

void TForm1::Nov1Click()
{
    if (m_windows.newDictionary)
        m_windows.newDictionary->exec();
}

void TForm1::Vbr1Click()
{
    Vocabulary &vocabulary = m_context.vocabulary;
    if (m_windows.selection && m_windows.selection->exec() == QDialog::Accepted) {
        OpenForEditing(vocabulary, m_context.settings.Slovnik,
                       [this](const QString &path) { m_windows.editor->OpenFile(path); });
        m_windows.editor->exec();
    }
    if (vocabulary.Path.isEmpty() && !m_context.settings.Slovnik.isEmpty())
        LoadVocabulary(m_context.settings.Slovnik);
}

void TForm1::Ukaaktuln1Click()
{
    if (m_windows.current)
        m_windows.current->exec();
}

void TForm1::Konec1Click()
{
    if (m_context.prompts.confirm(this, QStringLiteral("Chcete skutečně skončit?")))
        close();
}

void TForm1::showReport(const QStringList &lines, const QString &title)
{
    if (!m_windows.report)
        return;
    m_windows.report->ShowReport(lines, title);
}

void TForm1::etnosti1Click()
{
    if (m_context.vocabulary.Count() > 0)
        showReport(BuildOfferReport(m_context.vocabulary), OfferReportTitle);
}

void TForm1::Chybovosti1Click()
{
    if (m_context.vocabulary.Count() > 0)
        showReport(BuildErrorReport(m_context.vocabulary), ErrorReportTitle);
}

void TForm1::resetStatistics(const QString &question, void (*reset)(Vocabulary &))
{
    if (m_context.vocabulary.Count() == 0)
        return;
    if (m_context.prompts.confirm(this, question + QStringLiteral("\nChcete to skutečně provést?")))
        reset(m_context.vocabulary);
}

void TForm1::etnosti2Click()
{
    resetStatistics(QStringLiteral("Tímto se vymaže dosavadní statistika četnosti nabídky slov. "),
                    &ResetOffers);
}

void TForm1::Chybovosti2Click()
{
    resetStatistics(QStringLiteral("Tímto se vymaže dosavadní statistika chybovosti slov. "),
                    &ResetErrors);
}

void TForm1::Vechny1Click()
{
    resetStatistics(QStringLiteral("Tímto se vymaže dosavadní statistika četnosti nabídky a "
                                   "chybovosti slov. "),
                    &ResetAllStatistics);
}

void TForm1::Aktuln1Click()
{
    resetDrillCounters();
}

void TForm1::Volby1Click()
{
    if (m_windows.settings)
        m_windows.settings->exec();
}

void TForm1::Help2Click()
{
    if (m_windows.help)
        m_windows.help->exec();
}

void TForm1::Oaplikaci1Click()
{
    if (m_windows.about)
        m_windows.about->exec();
}

// ---- activation and the settings window's effects ----

void TForm1::FormActivate()
{
    m_picture->start();
    runStartUp();
}

void TForm1::runStartUp()
{
    if (!m_firstActivation)
        return;
    m_firstActivation = false;
    m_context.programDirectory = ProgramDirectory(m_context.executablePath);
    m_context.dataDirectory
        = ChooseDataDirectory(m_context.programDirectory,
                              QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    const QString open = ReadSettings(m_context.settings, m_context.dataDirectory);
    if (m_windows.settings)
        m_windows.settings->ApplySettings();
    if (!open.isEmpty())
        runCommand([this, open] { LoadVocabulary(open); });
}

void TForm1::FormDeactivate()
{
    m_picture->stop();
}

void TForm1::setCriteriaPanelVisible(bool visible)
{
    m_groupBox1->setVisible(visible);
}

void TForm1::dictionaryFileSaved(const QString &path)
{
    Vocabulary &vocabulary = m_context.vocabulary;
    if (vocabulary.Path.isEmpty() || !SameFile(path, vocabulary.Path))
        return;
    // Set aside first: the write-back that loading begins with would overwrite the new file.
    const QString current = vocabulary.Path;
    vocabulary.Path.clear();
    if (!runCommand([this, current] { LoadVocabulary(current); }))
        vocabulary.Path = current;
}

void TForm1::hidePicture()
{
    m_picture->hide();
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Without a window manager the window may never become active: start up anyway, as
    // soon as the event loop runs, when the first activation has not done it already.
    if (m_firstActivation)
        QTimer::singleShot(0, this, &TForm1::runStartUp);
}

void TForm1::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            FormActivate();
        else
            FormDeactivate();
    }
    QMainWindow::changeEvent(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit2 && event->type() == QEvent::KeyPress) {
        const int key = VirtualKeyCode(*static_cast<QKeyEvent *>(event));
        Edit2KeyDown(key);
        return key == VirtualKey::Enter || key == VirtualKey::F1;
    }
    if (watched == m_edit2 && event->type() == QEvent::MouseButtonDblClick) {
        Edit2DblClick();
        return true;
    }
    if (watched == m_button1 && event->type() == QEvent::KeyPress) {
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        const int key = VirtualKeyCode(*keyEvent);
        // Enter activates the focused button; Tab and the arrows move the focus.
        if (key == VirtualKey::Enter) {
            m_button1->click();
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
            return Button1KeyDown(key, keyEvent->text());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
