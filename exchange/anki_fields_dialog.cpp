#include "anki_fields_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(AnkiFieldsDialog)
};

const char *const fieldLabels[4]
    = {QT_TRANSLATE_NOOP("AnkiFieldsDialog", "&První strana:"),
       QT_TRANSLATE_NOOP("AnkiFieldsDialog", "&Druhá strana:"),
       QT_TRANSLATE_NOOP("AnkiFieldsDialog", "&Komentář první strany:"),
       QT_TRANSLATE_NOOP("AnkiFieldsDialog", "K&omentář druhé strany:")};

} // namespace

AnkiFieldsDialog::AnkiFieldsDialog(const QList<AnkiTypeToChoose> &types, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AnkiFieldsDialog"));
    setWindowTitle(Texts::tr("Pole poznámek z Anki"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(Texts::tr("Která pole poznámek se stanou stranami dvojic "
                                       "a komentáři:"),
                             this);
    layout->addWidget(intro);
    auto *area = new QScrollArea(this);
    area->setWidgetResizable(true);
    auto *inside = new QWidget(area);
    auto *groups = new QVBoxLayout(inside);
    m_rows.reserve(types.size());
    for (const AnkiTypeToChoose &type : types) {
        m_rows.append({type, {}, nullptr});
        TypeRow &row = m_rows.last();
        auto *group = new QGroupBox(type.type.name, inside);
        auto *form = new QFormLayout(group);
        for (int which = 0; which < 4; ++which) {
            auto *box = new QComboBox(group);
            box->setObjectName(QStringLiteral("field%1_%2").arg(which).arg(m_rows.size() - 1));
            if (which >= 2)
                box->addItem(Texts::tr("(žádný)"));
            box->addItems(type.type.fields);
            // The proposed fields become the sides; no comment unless chosen.
            box->setCurrentIndex(which == 0   ? type.proposed.side1
                                 : which == 1 ? type.proposed.side2
                                              : 0);
            form->addRow(Texts::tr(fieldLabels[which]), box);
            row.field[which] = box;
        }
        row.example = new QLabel(group);
        row.example->setObjectName(QStringLiteral("example_%1").arg(m_rows.size() - 1));
        row.example->setTextFormat(Qt::PlainText);
        row.example->setWordWrap(true);
        form->addRow(Texts::tr("Příklad:"), row.example);
        groups->addWidget(group);
    }
    // The rows no longer move: each box shows the example of its own row.
    for (TypeRow &row : m_rows) {
        for (QComboBox *box : row.field)
            connect(box, &QComboBox::currentIndexChanged, this, [this, &row] { showExample(row); });
        showExample(row);
    }
    groups->addStretch();
    area->setWidget(inside);
    layout->addWidget(area);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(Texts::tr("Zrušit"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(520, std::min(160 + 190 * int(m_rows.size()), 640));
}

AnkiFieldChoice AnkiFieldsDialog::choiceOf(const TypeRow &row)
{
    return {row.field[0]->currentIndex(), row.field[1]->currentIndex(),
            row.field[2]->currentIndex() - 1, row.field[3]->currentIndex() - 1};
}

void AnkiFieldsDialog::showExample(const TypeRow &row)
{
    // The example note as the import makes it a pair.
    const AnkiNoteSides sides = AnkiSidesOfNote(row.type.example, choiceOf(row));
    const auto part = [](const QString &side, const QString &comment) {
        return comment.isEmpty() ? side : QStringLiteral("%1 {%2}").arg(side, comment);
    };
    row.example->setText(part(sides.first, sides.firstComment) + QStringLiteral(" / ")
                         + part(sides.second, sides.secondComment));
}

AnkiFieldChoices AnkiFieldsDialog::choices() const
{
    AnkiFieldChoices choices;
    for (const TypeRow &row : m_rows)
        choices.insert(row.type.type.id, choiceOf(row));
    return choices;
}
