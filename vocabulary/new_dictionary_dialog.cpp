#include "new_dictionary_dialog.h"

#include "widgets/prompts.h"
#include "widgets/run_command.h"
#include "widgets/edit_grid.h"
#include "widgets/window_parts.h"
#include "editor_content.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(NewDictionaryDialog)
};

QTableWidgetItem *fixedItem(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(QColor(192, 192, 192));
    return item;
}

} // namespace

NewDictionaryDialog::NewDictionaryDialog(Prompts &prompts, const WriteJournal &journal,
                                         QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_journal(journal)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(Texts::tr("Pořízení slovníku:"));
    resize(494, 351);
    QFont bold = font();
    bold.setBold(true);

    QVBoxLayout *layout = FlatColumn(this);

    auto *themePanel = new QWidget(this);
    themePanel->setObjectName(QStringLiteral("Panel1"));
    themePanel->setFixedHeight(41);
    auto *topLayout = new QHBoxLayout(themePanel);
    auto *themeLabel = new QLabel(Texts::tr("téma:"), themePanel);
    themeLabel->setObjectName(QStringLiteral("Label1"));
    themeLabel->setFont(bold);
    topLayout->addWidget(themeLabel);
    m_theme = new QLineEdit(themePanel);
    m_theme->setObjectName(QStringLiteral("Edit1"));
    topLayout->addWidget(m_theme, 1);
    layout->addWidget(themePanel);

    m_grid = new EditGrid(GridRows, 3, this);
    m_grid->setObjectName(QStringLiteral("StringGrid1"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->setColumnWidth(0, 45);
    m_grid->setColumnWidth(1, 210);
    m_grid->setColumnWidth(2, 200);
    layout->addWidget(m_grid, 1);

    QPushButton *saveButton = NamedButton(Texts::tr("ulož"), "Button1", this);
    QPushButton *okButton = NamedButton(QStringLiteral("OK"), "Button2", this);
    layout->addWidget(ButtonStrip("Panel2", 36, {saveButton, okButton}, this));

    // Whatever is typed into the grid is unsaved; the theme field does not count.
    connect(m_grid, &QTableWidget::itemChanged, this, [this] {
        if (!m_filling)
            m_saved = false;
    });
    SaveShortcut(saveButton);
    connect(saveButton, &QPushButton::clicked, this, &NewDictionaryDialog::save);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void NewDictionaryDialog::showEvent(QShowEvent *event)
{
    clearGrid();
    QDialog::showEvent(event);
}

void NewDictionaryDialog::clearGrid()
{
    m_filling = true;
    m_grid->clearContents();
    m_grid->setRowCount(GridRows);
    m_grid->setItem(0, 0, fixedItem(QString()));
    m_grid->setItem(0, 1, fixedItem(Texts::tr("    česky:")));
    m_grid->setItem(0, 2, fixedItem(Texts::tr("    cizí jazyk:")));
    for (int row = 1; row < GridRows; ++row)
        m_grid->setItem(row, 0, fixedItem(QString::number(row).rightJustified(6, ' ')));
    m_filling = false;
    m_saved = true;
    m_grid->setCurrentCell(1, 1);
}

void NewDictionaryDialog::save()
{
    const QString fileName = m_prompts.saveFileName(
        this, QDir::currentPath(), Texts::tr("slovník (*.slv)"), QStringLiteral("slv"));
    if (fileName.isEmpty())
        return;
    QList<EditorRow> rows;
    for (int row = 1; row < m_grid->rowCount(); ++row)
        rows.append({CellText(m_grid, row, 1), CellText(m_grid, row, 2)});
    const bool written = RunCommand(
        m_prompts, this, [&] { WriteNewDictionary(fileName, m_theme->text(), rows, m_journal); });
    if (written) {
        emit fileSaved(fileName);
        m_saved = true;
    }
}

void NewDictionaryDialog::done(int result)
{
    if (!m_saved && m_prompts.confirm(this, Texts::tr("Data dosud nejsou uložena. Uložit?")))
        save();
    QDialog::done(result);
}
