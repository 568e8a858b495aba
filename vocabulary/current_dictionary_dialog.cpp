#include "current_dictionary_dialog.h"

#include "core/text_file.h"
#include "vocabulary_store.h"
#include "widgets/prompts.h"
#include "widgets/run_command.h"
#include "widgets/window_parts.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

CurrentDictionaryDialog::CurrentDictionaryDialog(Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("  aktuální slovník:"));
    resize(873, 233);
    QFont fixed = FixedPitchFont();
    fixed.setPointSize(8);
    m_text = Memo(this, fixed, false);
    m_text->setPlainText(QStringLiteral("\n"));
    FlatColumn(this)->addWidget(m_text);
}

int CurrentDictionaryDialog::showFile(const QString &path)
{
    // Without a file the window still opens, with what it showed last.
    if (path.isEmpty()) {
        m_prompts.notice(this, EmptyVocabularyMessage);
    } else {
        RunCommand(m_prompts, this,
                   [&] { m_text->setPlainText(ReadTextFileLines(path).join(QLatin1Char('\n'))); });
    }
    return exec();
}
