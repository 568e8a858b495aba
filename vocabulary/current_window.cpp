#include "current_window.h"

#include "app/app_context.h"
#include "app/file_error.h"
#include "app/text_file.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TForm7::TForm7(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("  aktuální slovník:"));
    resize(873, 233);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_memo1 = new QPlainTextEdit(this);
    m_memo1->setObjectName(QStringLiteral("Memo1"));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setFamilies({QStringLiteral("Courier New"), fixed.family()});
    fixed.setPointSize(8);
    m_memo1->setFont(fixed);
    m_memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo1->setPlainText(QStringLiteral("\n"));
    layout->addWidget(m_memo1);
}

void TForm7::FormActivate()
{
    const QString &path = m_context.vocabulary.Path;
    if (path.isEmpty()) {
        m_context.prompts.notice(this, QStringLiteral("Soubor slov dosud nebyl načten nebo je "
                                                      "prázdný."));
        return;
    }
    try {
        m_memo1->setPlainText(ReadTextFileLines(path).join(QLatin1Char('\n')));
    } catch (const FileError &error) {
        m_context.prompts.error(this, error.message());
    }
}

int TForm7::exec()
{
    FormActivate();
    return QDialog::exec();
}
