#include "dictionary_editor.h"

#include "widgets/prompts.h"
#include "widgets/run_command.h"
#include "widgets/edit_grid.h"
#include "widgets/window_parts.h"
#include "editor_content.h"
#include "vocabulary_store.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(DictionaryEditor)
};

} // namespace

DictionaryEditor::DictionaryEditor(Prompts &prompts, const WriteJournal &journal, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_journal(journal)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(Texts::tr("Editace slovníku:"));
    resize(651, 313);

    QVBoxLayout *layout = FlatColumn(this);
    QPushButton *saveButton = NamedButton(Texts::tr("ulož"), "Button1", this);
    layout->addWidget(ButtonStrip("Panel1", 41, {saveButton}, this));

    m_grid = new EditGrid(GridRows, 2, this);
    m_grid->setObjectName(QStringLiteral("StringGrid1"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(18);
    m_grid->setColumnWidth(0, 293);
    m_grid->setColumnWidth(1, 296);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    layout->addWidget(m_grid);

    SaveShortcut(saveButton);
    setTabOrder(m_grid, saveButton); // out of the grid, to "ulož"
    connect(saveButton, &QPushButton::clicked, this, &DictionaryEditor::save);
}

void DictionaryEditor::openFile(const QString &path)
{
    const EditorContent content = ReadEditorFile(path);
    m_grid->clearContents();
    // A file of more pairs than the grid's rows gets the rows it needs: nothing is cut.
    m_grid->setRowCount(std::max<int>(GridRows, int(content.rows.size())));
    m_opened = content;
    for (int row = 0; row < content.rows.size(); ++row) {
        m_grid->setItem(row, 0, new QTableWidgetItem(content.rows.at(row).first));
        m_grid->setItem(row, 1, new QTableWidgetItem(content.rows.at(row).second));
    }
    m_openedPath = QFileInfo(path).absoluteFilePath();
}

void DictionaryEditor::save()
{
    // The dialog offers the file that was opened.
    const QString fileName = m_prompts.saveFileName(
        this, m_openedPath, Texts::tr("slovníky (*.slv)"), QStringLiteral("slv"));
    if (fileName.isEmpty())
        return;
    // The rows as edited; the theme, the counters and the unseen lines as the file had them.
    EditorContent content = m_opened;
    content.rows.clear();
    for (int row = 0; row < m_grid->rowCount(); ++row)
        content.rows.append({CellText(m_grid, row, 0), CellText(m_grid, row, 1)});
    bool becameUtf8 = false;
    if (RunCommand(m_prompts, this,
                   [&] { becameUtf8 = WriteEditorFile(fileName, content, m_journal); })) {
        // Text typed beyond windows-1250 made the file UTF-8: said once, when it happens.
        if (becameUtf8)
            m_prompts.notice(this, BecameUtf8Message(fileName));
        emit fileSaved(fileName);
    }
}
