#include "languages_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(LanguagesDialog)
};

QString choiceText(const QString &code)
{
    for (const auto &[known, name] : KnownLanguages()) {
        if (known == code)
            return QStringLiteral("%1 (%2)").arg(name, code);
    }
    return code;
}

} // namespace

LanguagesDialog::LanguagesDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("LanguagesDialog"));
    setWindowTitle(Texts::tr("Jazyky slovníku"));
    auto *form = new QFormLayout(this);
    QStringList choices;
    for (const auto &[code, name] : KnownLanguages())
        choices.append(QStringLiteral("%1 (%2)").arg(name, code));
    for (int side = 1; side <= 2; ++side) {
        auto *box = new QComboBox(this);
        box->setObjectName(side == 1 ? QStringLiteral("FirstLanguage")
                                     : QStringLiteral("SecondLanguage"));
        box->setEditable(true);
        box->addItems(choices);
        box->setMinimumContentsLength(24);
        form->addRow(side == 1 ? Texts::tr("&První strana (před lomítkem):")
                               : Texts::tr("&Druhá strana (za lomítkem):"),
                     box);
        m_side[side] = box;
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(Texts::tr("Zrušit"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void LanguagesDialog::setLanguages(const SideLanguages &languages)
{
    for (int side = 1; side <= 2; ++side)
        m_side[side]->setCurrentText(choiceText(languages.side[side]));
}

SideLanguages LanguagesDialog::languages() const
{
    SideLanguages languages;
    for (int side = 1; side <= 2; ++side)
        languages.side[side] = LanguageCodeOf(m_side[side]->currentText());
    return languages;
}
