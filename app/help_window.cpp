#include "help_window.h"

#include "widgets/window_parts.h"

#include <QCoreApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(HelpWindow)
};

} // namespace

HelpWindow::HelpWindow(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(Texts::tr("nápověda:"));
    resize(481, 480);
    QFont font = this->font();
    font.setPointSize(8);
    m_text = Memo(this, font, true);
    // Each language has its help text of its own; the translation names it.
    QFile help(Texts::tr(":/assets/help.txt", "the resource of the help text in this language"));
    if (help.open(QIODevice::ReadOnly))
        m_text->setPlainText(QString::fromUtf8(help.readAll()));
    FlatColumn(this)->addWidget(m_text);
}
