#include "help_window.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TForm8::TForm8(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("nápověda:"));
    resize(481, 480);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_memo1 = new QPlainTextEdit(this);
    m_memo1->setObjectName(QStringLiteral("Memo1"));
    QFont font = m_memo1->font();
    font.setPointSize(8);
    m_memo1->setFont(font);
    m_memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFile help(QStringLiteral(":/assets/help.txt"));
    if (help.open(QIODevice::ReadOnly))
        m_memo1->setPlainText(QString::fromUtf8(help.readAll()));
    layout->addWidget(m_memo1);
}
