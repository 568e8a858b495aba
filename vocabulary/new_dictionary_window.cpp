#include "new_dictionary_window.h"

#include "app/app_context.h"
#include "app/file_error.h"
#include "app/text_file.h"
#include "app/window_parts.h"
#include "vocabulary_file.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidgetItem *fixedItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(QColor(192, 192, 192));
    return item;
}

} // namespace

TForm4::TForm4(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Pořízení slovníku:"));
    resize(494, 351);
    QFont bold = font();
    bold.setBold(true);

    QVBoxLayout *layout = FlatColumn(this);

    auto *panel1 = new QWidget(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFixedHeight(41);
    auto *topLayout = new QHBoxLayout(panel1);
    auto *label1 = new QLabel(QStringLiteral("téma:"), panel1);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setFont(bold);
    topLayout->addWidget(label1);
    m_edit1 = new QLineEdit(panel1);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    topLayout->addWidget(m_edit1, 1);
    layout->addWidget(panel1);

    m_stringGrid1 = new QTableWidget(GridRows, 3, this);
    m_stringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    m_stringGrid1->horizontalHeader()->hide();
    m_stringGrid1->verticalHeader()->hide();
    m_stringGrid1->verticalHeader()->setDefaultSectionSize(20);
    m_stringGrid1->setColumnWidth(0, 45);
    m_stringGrid1->setColumnWidth(1, 210);
    m_stringGrid1->setColumnWidth(2, 200);
    layout->addWidget(m_stringGrid1, 1);

    QPushButton *button1 = NamedButton(QStringLiteral("ulož"), "Button1", this);
    QPushButton *button2 = NamedButton(QStringLiteral("OK"), "Button2", this);
    layout->addWidget(ButtonStrip("Panel2", 36, {button1, button2}, this));

    // Whatever is typed into the grid is unsaved; the theme field does not count.
    connect(m_stringGrid1, &QTableWidget::itemChanged, this, [this] {
        if (!m_filling)
            m_saved = false;
    });
    connect(button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(button2, &QPushButton::clicked, this, &TForm4::Button2Click);
}

void TForm4::showEvent(QShowEvent *event)
{
    FormActivate();
    QDialog::showEvent(event);
}

void TForm4::FormActivate()
{
    m_filling = true;
    m_stringGrid1->clearContents();
    m_stringGrid1->setRowCount(GridRows);
    m_stringGrid1->setItem(0, 0, fixedItem(QString()));
    m_stringGrid1->setItem(0, 1, fixedItem(QStringLiteral("    česky:")));
    m_stringGrid1->setItem(0, 2, fixedItem(QStringLiteral("    cizí jazyk:")));
    for (int row = 1; row < GridRows; ++row)
        m_stringGrid1->setItem(row, 0, fixedItem(QString::number(row).rightJustified(6, ' ')));
    m_filling = false;
    m_saved = true;
    m_stringGrid1->setCurrentCell(1, 1);
}

void TForm4::Button1Click()
{
    const QString fileName = m_context.prompts.saveFileName(
        this, QDir::currentPath(), QStringLiteral("slovník (*.slv)"), QStringLiteral("slv"));
    if (fileName.isEmpty())
        return;
    QList<EditorRow> rows;
    for (int row = 1; row < m_stringGrid1->rowCount(); ++row)
        rows.append({CellText(m_stringGrid1, row, 1), CellText(m_stringGrid1, row, 2)});
    try {
        WriteFileSafely(fileName, JoinLines(FormatNewDictionaryLines(m_edit1->text(), rows)));
        emit fileSaved(fileName);
        m_saved = true;
    } catch (const FileError &error) {
        m_context.prompts.error(this, error.message());
    }
}

void TForm4::Button2Click()
{
    accept();
}

void TForm4::done(int result)
{
    if (!m_saved
        && m_context.prompts.confirm(this, QStringLiteral("Data dosud nejsou uložena. Uložit?")))
        Button1Click();
    QDialog::done(result);
}
