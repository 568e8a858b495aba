#include "current_window.h"

#include "app/app_context.h"
#include "app/file_error.h"
#include "app/text_file.h"
#include "app/window_parts.h"
#include "vocabulary_store.h"

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
    QFont fixed = FixedPitchFont();
    fixed.setPointSize(8);
    m_memo1 = Memo(this, fixed, false);
    m_memo1->setPlainText(QStringLiteral("\n"));
    FlatColumn(this)->addWidget(m_memo1);
}

void TForm7::FormActivate()
{
    const QString &path = m_context.vocabulary.Path;
    if (path.isEmpty()) {
        m_context.prompts.notice(this, EmptyVocabularyMessage);
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
