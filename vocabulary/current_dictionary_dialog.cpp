#include "current_dictionary_dialog.h"

#include "core/text_file.h"
#include "vocabulary_store.h"
#include "widgets/prompts.h"
#include "widgets/run_command.h"
#include "widgets/screen_place.h"
#include "widgets/window_parts.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(CurrentDictionaryDialog)
};

} // namespace

CurrentDictionaryDialog::CurrentDictionaryDialog(Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(Texts::tr("  aktuální slovník:"));
    resize(873, 233);
    QFont fixed = FixedPitchFont();
    fixed.setPointSize(8);
    m_text = Memo(this, fixed, false);
    m_text->setPlainText(QStringLiteral("\n"));
    FlatColumn(this)->addWidget(m_text);
    // Wide enough for a whole line as the program writes it, counters included.
    const int line = QFontMetrics(fixed).horizontalAdvance(QString(150, QLatin1Char('0')));
    resize(line + m_text->verticalScrollBar()->sizeHint().width() + 24, 233);
}

int CurrentDictionaryDialog::showFile(const QString &path)
{
    FitOnScreen(this);
    // Without a file the window still opens, with what it showed last.
    if (path.isEmpty()) {
        m_prompts.notice(this, EmptyVocabularyMessage());
    } else {
        RunCommand(m_prompts, this,
                   [&] { m_text->setPlainText(ReadTextFileLines(path).join(QLatin1Char('\n'))); });
    }
    return exec();
}
