#include "settings_dialog.h"

#include "interface_language.h"
#include "memory_weights_panel.h"
#include "settings.h"
#include "widgets/run_command.h"
#include "widgets/window_parts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(SettingsDialog)
};

// A spin field that lets any whole number be typed and brings it into range when the
// field is left, instead of refusing the digit that leaves the range.
class RangeCorrectingSpinBox : public QSpinBox
{
public:
    using QSpinBox::QSpinBox;

protected:
    QValidator::State validate(QString &input, int &) const override
    {
        static const QRegularExpression number(QStringLiteral("^\\s*[+-]?\\d*\\s*$"));
        if (!number.match(input).hasMatch())
            return QValidator::Invalid;
        bool ok = false;
        const int value = input.trimmed().toInt(&ok);
        return ok && value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                              : QValidator::Intermediate;
    }

    void fixup(QString &input) const override
    {
        bool ok = false;
        const qlonglong value = input.trimmed().toLongLong(&ok);
        const qlonglong corrected = ok ? std::clamp<qlonglong>(value, minimum(), maximum()) : 0;
        input = QString::number(corrected);
    }
};

} // namespace

SettingsDialog::SettingsDialog(Settings &settings, Prompts &prompts, const QString &dataDirectory,
                               const QString &historyPath, ChooseDictionary chooseDictionary,
                               QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_prompts(prompts)
    , m_dataDirectory(dataDirectory)
    , m_chooseDictionary(std::move(chooseDictionary))
{
    setObjectName(QStringLiteral("Form2"));
    // The Czech title keeps the blanks it always had; a translation says its title plainly.
    setWindowTitle(Texts::tr("nastavení:                                   "));
    setFixedSize(364, 522);
    QFont formFont = font();
    formFont.setPointSize(8);
    formFont.setBold(true);
    setFont(formFont);

    createChoices();
    createPercentControls();
    createScheduleControls();
    createCheckBoxes();
    createLanguageChoice();
    m_memoryWeights = new MemoryWeightsPanel(settings, prompts, dataDirectory, historyPath, this);
    m_memoryWeights->setGeometry(16, 372, 332, 46);
    connect(m_memoryWeights, &MemoryWeightsPanel::changed, this, [this] {
        emit settingsChanged();
        emit memoryModelChanged();
    });
    createDictionaryField(formFont);
    createButtonsAndTabOrder();
    connectChoices();
    showSettings();
}

void SettingsDialog::createChoices()
{
    m_pairChoice = radioGroup("RadioGroup1", Texts::tr(" nabízet slova dle: "),
                              {Texts::tr("četnosti výběru"), Texts::tr("chybovosti"),
                               Texts::tr("náhodně"), Texts::tr("podle opakování")},
                              QRect(16, 16, 153, 97));
    m_sideChoice = radioGroup("RadioGroup2", Texts::tr(" nabízet slova : "),
                              {Texts::tr("v češtině"), Texts::tr("v jazyku"), Texts::tr("náhodně")},
                              QRect(16, 120, 153, 81));
    m_assessment = radioGroup("RadioGroup3", Texts::tr(" posouzení správnosti: "),
                              {Texts::tr("přesná shoda"), Texts::tr("procento shody")},
                              QRect(184, 16, 161, 65));
}

void SettingsDialog::createPercentControls()
{
    m_thresholdLabel = new QLabel(Texts::tr("považovat za   správné  při   shodě %% :"), this);
    m_thresholdLabel->setObjectName(QStringLiteral("Label1"));
    m_thresholdLabel->setGeometry(184, 96, 161, 36);
    m_thresholdLabel->setAlignment(Qt::AlignCenter);
    m_thresholdLabel->setWordWrap(true);
    m_thresholdLabel->hide();

    m_threshold = new RangeCorrectingSpinBox(this);
    m_threshold->setObjectName(QStringLiteral("SpinEdit1"));
    m_threshold->setGeometry(240, 136, 57, 22);
    m_threshold->setRange(0, 100);
    m_threshold->setValue(90);
    m_threshold->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    m_threshold->hide();
}

// The review schedule's two numbers, shown while the next pair is chosen by it.
void SettingsDialog::createScheduleControls()
{
    const auto row = [this](const char *labelName, const QString &text, const char *spinName,
                            int top, int minimum, int maximum) {
        auto *caption = new QLabel(text, this);
        caption->setObjectName(QLatin1String(labelName));
        caption->setGeometry(180, top, 116, 22);
        auto *spin = new RangeCorrectingSpinBox(this);
        spin->setObjectName(QLatin1String(spinName));
        spin->setGeometry(297, top, 48, 22);
        spin->setRange(minimum, maximum);
        spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
        caption->setBuddy(spin);
        return std::pair{caption, spin};
    };
    std::tie(m_retentionLabel, m_retention)
        = row("RetentionLabel", Texts::tr("&udržet v paměti %:"), "RetentionSpin", 166,
              MinimumRetention, MaximumRetention);
    std::tie(m_newPerDayLabel, m_newPerDay) = row("NewPerDayLabel", Texts::tr("&nových za den:"),
                                                  "NewPerDaySpin", 192, 0, MaximumNewPerDay);
}

void SettingsDialog::createCheckBoxes()
{
    const auto checkBox = [this](const char *name, const QString &text, const QRect &place) {
        auto *box = new QCheckBox(text, this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(place);
        return box;
    };
    m_showCriterion
        = checkBox("CheckBox1", Texts::tr("zobrazovat proc. kriterium"), QRect(16, 216, 257, 17));
    m_showCriterion->hide();
    m_showPicture
        = checkBox("CheckBox2", Texts::tr("zobrazovat  obrázek"), QRect(16, 236, 265, 17));
    m_commentAfterWrongAnswer = checkBox(
        "CheckBox3", Texts::tr("komentář zobrazit i při chybné odpovědi"), QRect(16, 256, 300, 17));
    m_speakOffered = checkBox("CheckBox4", Texts::tr("vyslovovat nabízené slovo (F4 znovu)"),
                              QRect(16, 276, 320, 17));
    m_speakAnswer = checkBox("CheckBox5", Texts::tr("vyslovit správnou odpověď po chybě"),
                             QRect(16, 296, 320, 17));
    m_showDifference
        = checkBox("CheckBox6", Texts::tr("ukázat, kde se odpověď liší"), QRect(16, 316, 320, 17));
}

// The language of the interface: as the desktop asks, or one the user names. Each language is
// named in itself, so that a user who cannot read the current one still finds their own.
void SettingsDialog::createLanguageChoice()
{
    auto *caption = new QLabel(Texts::tr("&jazyk rozhraní:"), this);
    caption->setObjectName(QStringLiteral("InterfaceLanguageLabel"));
    caption->setGeometry(16, 342, 92, 22);
    m_interfaceLanguage = new QComboBox(this);
    m_interfaceLanguage->setObjectName(QStringLiteral("InterfaceLanguage"));
    m_interfaceLanguage->setGeometry(108, 342, 116, 22);
    m_interfaceLanguage->addItem(Texts::tr("automaticky"), QString());
    for (const InterfaceLanguage &language : InterfaceLanguages())
        m_interfaceLanguage->addItem(language.ownName, language.code);
    caption->setBuddy(m_interfaceLanguage);
    auto *note = new QLabel(Texts::tr("(po restartu)"), this);
    note->setObjectName(QStringLiteral("InterfaceLanguageNote"));
    note->setGeometry(230, 342, 120, 22);
}

void SettingsDialog::createDictionaryField(const QFont &formFont)
{
    auto *pathLabel = new QLabel(Texts::tr("slovník:"), this);
    pathLabel->setObjectName(QStringLiteral("Label2"));
    pathLabel->setGeometry(16, 430, 100, 16);
    m_dictionaryPath = new QLineEdit(this);
    m_dictionaryPath->setObjectName(QStringLiteral("Edit1"));
    m_dictionaryPath->setGeometry(16, 448, 305, 22);
    m_dictionaryPath->installEventFilter(this);

    m_chooseButton = new QToolButton(this);
    m_chooseButton->setObjectName(QStringLiteral("SpeedButton1"));
    m_chooseButton->setText(QStringLiteral("..."));
    QFont large = formFont;
    large.setPointSize(11);
    m_chooseButton->setFont(large);
    m_chooseButton->setGeometry(320, 448, 23, 22);
    m_chooseButton->setFocusPolicy(Qt::TabFocus); // reached by Tab from the field
    connect(m_chooseButton, &QToolButton::clicked, this, &SettingsDialog::chooseDictionary);
}

void SettingsDialog::createButtonsAndTabOrder()
{
    m_saveButton = NamedButton(Texts::tr("ulož"), "Button2", this);
    m_saveButton->setGeometry(208, 480, 57, 25);
    m_okButton = NamedButton(QStringLiteral("OK"), "Button1", this);
    m_okButton->setGeometry(280, 480, 57, 25);
    m_syncButton = NamedButton(Texts::tr("S&ynchronizace..."), "Button3", this);
    m_syncButton->setGeometry(16, 480, 110, 25);
    connect(m_syncButton, &QPushButton::clicked, this, &SettingsDialog::synchronisationRequested);
    connect(m_saveButton, &QPushButton::clicked, this, &SettingsDialog::saveSettings);
    connect(m_okButton, &QPushButton::clicked, this, &SettingsDialog::finish);

    setTabOrder(m_pairChoice->checkedButton(), m_sideChoice->checkedButton());
    setTabOrder(m_sideChoice->checkedButton(), m_assessment->checkedButton());
    setTabOrder(m_assessment->checkedButton(), m_threshold);
    setTabOrder(m_threshold, m_retention);
    setTabOrder(m_retention, m_newPerDay);
    setTabOrder(m_newPerDay, m_okButton);
    setTabOrder(m_okButton, m_saveButton);
    setTabOrder(m_saveButton, m_dictionaryPath);
    setTabOrder(m_dictionaryPath, m_chooseButton);
    setTabOrder(m_chooseButton, m_showCriterion);
    setTabOrder(m_showCriterion, m_showPicture);
    setTabOrder(m_showPicture, m_commentAfterWrongAnswer);
    setTabOrder(m_commentAfterWrongAnswer, m_speakOffered);
    setTabOrder(m_speakOffered, m_speakAnswer);
    setTabOrder(m_speakAnswer, m_showDifference);
    setTabOrder(m_showDifference, m_interfaceLanguage);
    setTabOrder(m_interfaceLanguage, m_memoryWeights->optimiseButton());
    setTabOrder(m_memoryWeights->optimiseButton(), m_memoryWeights->defaultsButton());
    setTabOrder(m_memoryWeights->defaultsButton(), m_syncButton);
}

// Each control edits its option at once; one with an effect elsewhere says so.
void SettingsDialog::connectChoices()
{
    Settings &options = m_settings;
    connect(m_pairChoice, &QButtonGroup::idToggled, this, [this, &options](int id, bool on) {
        if (!on)
            return;
        options.pairChoice = PairChoice(id);
        showScheduleControls();
        emit settingsChanged();
    });
    connect(m_retention, &QSpinBox::valueChanged, this, [this, &options](int value) {
        options.desiredRetention = value;
        emit settingsChanged();
    });
    connect(m_newPerDay, &QSpinBox::valueChanged, this, [this, &options](int value) {
        options.newPerDay = value;
        emit settingsChanged();
    });
    connect(m_sideChoice, &QButtonGroup::idToggled, this, [this, &options](int id, bool on) {
        if (!on)
            return;
        options.sideChoice = SideChoice(id);
        emit settingsChanged();
    });
    connect(m_assessment, &QButtonGroup::idToggled, this, [this, &options](int id, bool on) {
        if (!on)
            return;
        options.assessment = AssessmentMode(id);
        followAssessment();
    });
    connect(m_threshold, &QSpinBox::valueChanged, this,
            [&options](int value) { options.threshold = value; });
    connect(m_showCriterion, &QCheckBox::toggled, this, [this, &options](bool on) {
        options.showCriterion = on;
        followAssessment();
    });
    connect(m_showPicture, &QCheckBox::toggled, this, [this, &options](bool on) {
        options.showPicture = on;
        emit settingsChanged();
    });
    connect(m_commentAfterWrongAnswer, &QCheckBox::toggled, this,
            [&options](bool on) { options.commentAfterWrongAnswer = on; });
    connect(m_speakOffered, &QCheckBox::toggled, this,
            [&options](bool on) { options.speakOffered = on; });
    connect(m_speakAnswer, &QCheckBox::toggled, this,
            [&options](bool on) { options.speakAnswer = on; });
    connect(m_showDifference, &QCheckBox::toggled, this, [this, &options](bool on) {
        options.showDifference = on;
        emit settingsChanged();
    });
    connect(m_interfaceLanguage, &QComboBox::currentIndexChanged, this, [this, &options] {
        options.interfaceLanguage = m_interfaceLanguage->currentData().toString();
    });
    connect(m_dictionaryPath, &QLineEdit::textEdited, this,
            [&options](const QString &text) { options.dictionaryPath = text; });
}

QButtonGroup *SettingsDialog::radioGroup(const char *name, const QString &title,
                                         const QStringList &items, const QRect &place)
{
    auto *box = new QGroupBox(title, this);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(place);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(8, 2, 4, 2);
    layout->setSpacing(0);
    auto *group = new QButtonGroup(box);
    group->setObjectName(QLatin1String(name) + QStringLiteral("Items"));
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), box);
        button->setObjectName(QLatin1String(name) + QStringLiteral("Item%1").arg(i));
        layout->addWidget(button);
        group->addButton(button, i);
    }
    group->button(0)->setChecked(true);
    return group;
}

void SettingsDialog::showSettings()
{
    const QSignalBlocker blockPairChoice(m_pairChoice);
    const QSignalBlocker blockSideChoice(m_sideChoice);
    const QSignalBlocker blockAssessment(m_assessment);
    const QSignalBlocker blockThreshold(m_threshold);
    const QSignalBlocker blockRetention(m_retention);
    const QSignalBlocker blockNewPerDay(m_newPerDay);
    const QSignalBlocker blockCriterion(m_showCriterion);
    const QSignalBlocker blockPicture(m_showPicture);
    const QSignalBlocker blockComment(m_commentAfterWrongAnswer);
    const QSignalBlocker blockSpeakOffered(m_speakOffered);
    const QSignalBlocker blockSpeakAnswer(m_speakAnswer);
    const QSignalBlocker blockShowDifference(m_showDifference);
    const QSignalBlocker blockInterfaceLanguage(m_interfaceLanguage);
    m_pairChoice->button(int(m_settings.pairChoice))->setChecked(true);
    m_sideChoice->button(int(m_settings.sideChoice))->setChecked(true);
    m_assessment->button(int(m_settings.assessment))->setChecked(true);
    m_threshold->setValue(m_settings.threshold);
    m_retention->setValue(m_settings.desiredRetention);
    m_newPerDay->setValue(m_settings.newPerDay);
    m_showCriterion->setChecked(m_settings.showCriterion);
    m_showPicture->setChecked(m_settings.showPicture);
    m_commentAfterWrongAnswer->setChecked(m_settings.commentAfterWrongAnswer);
    m_speakOffered->setChecked(m_settings.speakOffered);
    m_speakAnswer->setChecked(m_settings.speakAnswer);
    m_showDifference->setChecked(m_settings.showDifference);
    // A code the program does not have counts as automatic, as it does at start.
    m_interfaceLanguage->setCurrentIndex(
        std::max(0, m_interfaceLanguage->findData(m_settings.interfaceLanguage)));
    m_dictionaryPath->setText(m_settings.dictionaryPath);
    m_memoryWeights->showWeights();
    showPercentControls();
    showScheduleControls();
}

void SettingsDialog::showScheduleControls()
{
    const bool schedule = m_settings.pairChoice == PairChoice::BySchedule;
    for (QWidget *control :
         {static_cast<QWidget *>(m_retentionLabel), static_cast<QWidget *>(m_retention),
          static_cast<QWidget *>(m_newPerDayLabel), static_cast<QWidget *>(m_newPerDay)})
        control->setVisible(schedule);
}

// The threshold and the criterion panel matter only for judging by percentage.
void SettingsDialog::showPercentControls()
{
    const bool percent = m_settings.assessment == AssessmentMode::PercentMatch;
    m_thresholdLabel->setVisible(percent);
    m_threshold->setVisible(percent);
    m_showCriterion->setVisible(percent);
}

// Called once the setting has taken the changed choice.
void SettingsDialog::followAssessment()
{
    showPercentControls();
    emit settingsChanged();
}

void SettingsDialog::chooseDictionary()
{
    const QString chosen = m_chooseDictionary();
    if (!chosen.isEmpty())
        m_dictionaryPath->setText(chosen);
}

void SettingsDialog::saveSettings()
{
    m_threshold->interpretText();
    m_retention->interpretText();
    m_newPerDay->interpretText();
    RunCommand(m_prompts, this, [this] { WriteSettings(m_settings, m_dataDirectory); });
}

void SettingsDialog::finish()
{
    m_threshold->interpretText();
    m_retention->interpretText();
    m_newPerDay->interpretText();
    accept();
}

void SettingsDialog::showEvent(QShowEvent *event)
{
    showSettings();
    QDialog::showEvent(event);
}

bool SettingsDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_dictionaryPath && event->type() == QEvent::MouseButtonDblClick) {
        chooseDictionary();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
