#include "help_window.h"

#include "window_parts.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TForm8::TForm8(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("nápověda:"));
    resize(481, 480);
    QFont font = this->font();
    font.setPointSize(8);
    m_memo1 = Memo(this, font, true);
    QFile help(QStringLiteral(":/assets/help.txt"));
    if (help.open(QIODevice::ReadOnly))
        m_memo1->setPlainText(QString::fromUtf8(help.readAll()));
    FlatColumn(this)->addWidget(m_memo1);
}
