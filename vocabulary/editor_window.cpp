#include "editor_window.h"

#include "app/app_context.h"
#include "app/file_error.h"
#include "app/text_file.h"
#include "app/window_parts.h"
#include "vocabulary_file.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TForm3::TForm3(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Editace slovníku:"));
    resize(651, 313);

    QVBoxLayout *layout = FlatColumn(this);
    QPushButton *button1 = NamedButton(QStringLiteral("ulož"), "Button1", this);
    layout->addWidget(ButtonStrip("Panel1", 41, {button1}, this));

    m_stringGrid1 = new QTableWidget(GridRows, 2, this);
    m_stringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    m_stringGrid1->horizontalHeader()->hide();
    m_stringGrid1->verticalHeader()->hide();
    m_stringGrid1->verticalHeader()->setDefaultSectionSize(18);
    m_stringGrid1->setColumnWidth(0, 293);
    m_stringGrid1->setColumnWidth(1, 296);
    m_stringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    layout->addWidget(m_stringGrid1);

    connect(button1, &QPushButton::clicked, this, &TForm3::Button1Click);
}

void TForm3::OpenFile(const QString &path)
{
    const EditorContent content = ReadEditorContent(ReadTextFileLines(path));
    m_stringGrid1->clearContents();
    // A file of more pairs than the grid's rows gets the rows it needs: nothing is cut.
    m_stringGrid1->setRowCount(std::max<int>(GridRows, int(content.rows.size())));
    m_editedTheme = content.theme;
    for (int row = 0; row < content.rows.size(); ++row) {
        m_stringGrid1->setItem(row, 0, new QTableWidgetItem(content.rows.at(row).first));
        m_stringGrid1->setItem(row, 1, new QTableWidgetItem(content.rows.at(row).second));
    }
    m_directory = QFileInfo(path).absolutePath();
}

void TForm3::Button1Click()
{
    const QString fileName = m_context.prompts.saveFileName(
        this, m_directory, QStringLiteral("slovníky (*.slv)"), QStringLiteral("slv"));
    if (fileName.isEmpty())
        return;
    EditorContent content;
    content.theme = m_editedTheme;
    for (int row = 0; row < m_stringGrid1->rowCount(); ++row)
        content.rows.append({CellText(m_stringGrid1, row, 0), CellText(m_stringGrid1, row, 1)});
    try {
        WriteFileSafely(fileName, JoinLines(FormatEditorLines(content)));
        emit fileSaved(fileName);
    } catch (const FileError &error) {
        m_context.prompts.error(this, error.message());
    }
}
