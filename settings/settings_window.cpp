#include "settings_window.h"

#include "app/app_context.h"
#include "app/file_error.h"

#include <QButtonGroup>
#include <QCheckBox>
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

namespace {

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

TForm2::TForm2(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("nastavení:") + QString(35, QLatin1Char(' ')));
    setFixedSize(364, 362);
    QFont formFont = font();
    formFont.setPointSize(8);
    formFont.setBold(true);
    setFont(formFont);

    m_radioGroup1 = radioGroup("RadioGroup1", QStringLiteral(" nabízet slova dle: "),
                               {QStringLiteral("četnosti výběru"), QStringLiteral("chybovosti"),
                                QStringLiteral("náhodně")},
                               QRect(16, 16, 153, 81));
    m_radioGroup2 = radioGroup(
        "RadioGroup2", QStringLiteral(" nabízet slova : "),
        {QStringLiteral("v češtině"), QStringLiteral("v jazyku"), QStringLiteral("náhodně")},
        QRect(16, 112, 153, 81));
    m_radioGroup3 = radioGroup("RadioGroup3", QStringLiteral(" posouzení správnosti: "),
                               {QStringLiteral("přesná shoda"), QStringLiteral("procento shody")},
                               QRect(184, 16, 161, 65));

    m_label1 = new QLabel(QStringLiteral("považovat za   správné  při   shodě %% :"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setGeometry(184, 96, 161, 36);
    m_label1->setAlignment(Qt::AlignCenter);
    m_label1->setWordWrap(true);
    m_label1->hide();

    m_spinEdit1 = new RangeCorrectingSpinBox(this);
    m_spinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    m_spinEdit1->setGeometry(240, 136, 57, 22);
    m_spinEdit1->setRange(0, 100);
    m_spinEdit1->setValue(90);
    m_spinEdit1->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    m_spinEdit1->hide();

    const auto checkBox = [this](const char *name, const QString &text, const QRect &place) {
        auto *box = new QCheckBox(text, this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(place);
        return box;
    };
    m_checkBox1 = checkBox("CheckBox1", QStringLiteral("zobrazovat proc. kriterium"),
                           QRect(16, 200, 257, 17));
    m_checkBox1->hide();
    m_checkBox2
        = checkBox("CheckBox2", QStringLiteral("zobrazovat  obrázek"), QRect(16, 220, 265, 17));
    m_checkBox3 = checkBox("CheckBox3", QStringLiteral("komentář zobrazit i při chybné odpovědi"),
                           QRect(16, 240, 300, 17));

    auto *label2 = new QLabel(QStringLiteral("slovník:"), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setGeometry(16, 270, 100, 16);
    m_edit1 = new QLineEdit(this);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    m_edit1->setGeometry(16, 288, 305, 22);
    m_edit1->installEventFilter(this);

    auto *speedButton1 = new QToolButton(this);
    speedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    speedButton1->setText(QStringLiteral("..."));
    QFont large = formFont;
    large.setPointSize(11);
    speedButton1->setFont(large);
    speedButton1->setGeometry(320, 288, 23, 22);
    speedButton1->setFocusPolicy(Qt::NoFocus);

    auto *button2 = new QPushButton(QStringLiteral("ulož"), this);
    button2->setObjectName(QStringLiteral("Button2"));
    button2->setGeometry(208, 320, 57, 25);
    button2->setAutoDefault(false);
    auto *button1 = new QPushButton(QStringLiteral("OK"), this);
    button1->setObjectName(QStringLiteral("Button1"));
    button1->setGeometry(280, 320, 57, 25);
    button1->setAutoDefault(false);

    setTabOrder(m_radioGroup1->checkedButton(), m_radioGroup2->checkedButton());
    setTabOrder(m_radioGroup2->checkedButton(), m_radioGroup3->checkedButton());
    setTabOrder(m_radioGroup3->checkedButton(), m_spinEdit1);
    setTabOrder(m_spinEdit1, button1);
    setTabOrder(button1, button2);
    setTabOrder(button2, m_edit1);
    setTabOrder(m_edit1, m_checkBox1);
    setTabOrder(m_checkBox1, m_checkBox2);
    setTabOrder(m_checkBox2, m_checkBox3);

    Settings &settings = m_context.settings;
    connect(m_radioGroup1, &QButtonGroup::idToggled, this, [&settings](int id, bool on) {
        if (on)
            settings.Cetnost = id;
    });
    connect(m_radioGroup2, &QButtonGroup::idToggled, this, [this, &settings](int id, bool on) {
        if (!on)
            return;
        settings.PrimJazyk = id;
        RadioGroup2Click();
    });
    connect(m_radioGroup3, &QButtonGroup::idToggled, this, [this, &settings](int id, bool on) {
        if (!on)
            return;
        settings.Hodnoceni = id;
        RadioGroup3Click();
    });
    connect(m_spinEdit1, &QSpinBox::valueChanged, this,
            [&settings](int value) { settings.ProcHodnoc = value; });
    connect(m_checkBox1, &QCheckBox::toggled, this, [this, &settings](bool on) {
        settings.ProcZobraz = on;
        RadioGroup3Click();
    });
    connect(m_checkBox2, &QCheckBox::toggled, this, [this, &settings](bool on) {
        settings.Obrazek = on;
        CheckBox2Click();
    });
    connect(m_checkBox3, &QCheckBox::toggled, this,
            [&settings](bool on) { settings.Komentar = on; });
    connect(m_edit1, &QLineEdit::textEdited, this,
            [&settings](const QString &text) { settings.Slovnik = text; });
    connect(speedButton1, &QToolButton::clicked, this, &TForm2::Edit1Change);
    connect(button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(button1, &QPushButton::clicked, this, &TForm2::Button1Click);

    // Created with the first side offered.
    m_context.drill.OfferedSide = 1;
}

QButtonGroup *TForm2::radioGroup(const char *name, const QString &title, const QStringList &items,
                                 const QRect &place)
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

void TForm2::ApplySettings()
{
    // In the order the settings file is read, so that the effects end consistent.
    const Settings settings = m_context.settings;
    m_radioGroup1->button(settings.Cetnost)->setChecked(true);
    m_radioGroup2->button(settings.PrimJazyk)->setChecked(true);
    m_radioGroup3->button(settings.Hodnoceni)->setChecked(true);
    m_spinEdit1->setValue(settings.ProcHodnoc);
    m_checkBox1->setChecked(settings.ProcZobraz);
    m_checkBox2->setChecked(settings.Obrazek);
    m_checkBox3->setChecked(settings.Komentar);
    m_edit1->setText(settings.Slovnik);
}

void TForm2::RadioGroup2Click()
{
    const int item = m_radioGroup2->checkedId();
    if (item == 0 || item == 1)
        m_context.drill.OfferedSide = item + 1;
}

void TForm2::RadioGroup3Click()
{
    const bool percent = m_radioGroup3->checkedId() != 0;
    m_label1->setVisible(percent);
    m_spinEdit1->setVisible(percent);
    m_checkBox1->setVisible(percent);
    emit criteriaPanelVisibilityChanged(percent && m_checkBox1->isChecked());
}

void TForm2::CheckBox2Click()
{
    if (!m_checkBox2->isChecked())
        emit pictureSwitchedOff();
}

void TForm2::Edit1Change()
{
    emit loadRequested();
    // The selection window may have put a new name into the setting.
    m_edit1->setText(m_context.settings.Slovnik);
}

void TForm2::Button2Click()
{
    m_spinEdit1->interpretText();
    try {
        WriteSettings(m_context.settings, m_context.dataDirectory);
    } catch (const FileError &error) {
        m_context.prompts.error(this, error.message());
    }
}

void TForm2::Button1Click()
{
    m_spinEdit1->interpretText();
    accept();
}

void TForm2::showEvent(QShowEvent *event)
{
    m_edit1->setText(m_context.settings.Slovnik);
    QDialog::showEvent(event);
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit1 && event->type() == QEvent::MouseButtonDblClick) {
        Edit1Change();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
