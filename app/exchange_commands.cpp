#include "application.h"

#include "app_context.h"

#include "drill/drill_window.h"
#include "vocabulary/exchange.h"
#include "vocabulary/languages_dialog.h"
#include "vocabulary/vocabulary_store.h"
#include "widgets/prompts.h"

#include "core/paths.h"

#include <QDir>
#include <QFileInfo>

// Vocabulary of other programs: the import into a new dictionary and the export; and the
// languages of the dictionary's sides, which the import may bring along.

void Application::chooseLanguages()
{
    CurrentDictionary &dictionary = m_context->dictionary;
    if (dictionary.path().isEmpty() || dictionary.vocabulary().count() == 0)
        return;
    LanguagesDialog dialog(m_drillWindow.get());
    dialog.setLanguages(LanguagesOf(dictionary.vocabulary()));
    if (dialog.exec() == QDialog::Accepted)
        dictionary.storeLanguages(dialog.languages());
}

void Application::importDictionary()
{
    Prompts &prompts = m_context->prompts;
    const QString source = prompts.openFileName(
        m_drillWindow.get(), QDir::currentPath(),
        QStringLiteral(
            "slovíčka jiných programů (*.kvtml *.tsv *.csv *.txt);;všechny soubory (*)"));
    if (!source.isEmpty())
        importFrom(source);
}

bool Application::importFrom(const QString &source)
{
    Prompts &prompts = m_context->prompts;
    const ImportResult result = ImportVocabularyFile(source);
    if (result.pairs.isEmpty()) {
        prompts.error(m_drillWindow.get(),
                      QStringLiteral("Ze souboru %1 nešlo převzít žádnou dvojici.\n").arg(source)
                          + result.skipped.mid(0, 10).join(QLatin1Char('\n')));
        return false;
    }
    const int over = int(result.pairs.size()) - Vocabulary::Capacity;
    if (over > 0
        && !prompts.confirm(m_drillWindow.get(),
                            QStringLiteral("Soubor obsahuje %1 dvojic, slovník jich pojme nejvýše "
                                           "%2. Zapsat prvních %2? ")
                                    .arg(result.pairs.size())
                                    .arg(Vocabulary::Capacity)
                                + CzechCount(over, "zbylá bude vynechána", "zbylé budou vynechány",
                                             "zbylých bude vynecháno")
                                + QLatin1Char('.')))
        return false;
    const QFileInfo sourceFile(source);
    const QString target = prompts.saveFileName(
        m_drillWindow.get(),
        sourceFile.dir().filePath(sourceFile.completeBaseName() + QStringLiteral(".slv")),
        QStringLiteral("slovníky (*.slv)"), QStringLiteral("slv"));
    if (target.isEmpty())
        return false;
    const int written = m_context->dictionary.importInto(source, target, result);
    m_context->settings.dictionaryPath = ResolvedPath(target);
    openDictionary(target);
    prompts.notice(m_drillWindow.get(), ImportSummary(result, written));
    return true;
}

void Application::exportDictionary()
{
    const CurrentDictionary &dictionary = m_context->dictionary;
    if (dictionary.path().isEmpty() || dictionary.vocabulary().count() == 0) {
        m_context->prompts.notice(m_drillWindow.get(), EmptyVocabularyMessage);
        return;
    }
    const QFileInfo current(dictionary.path());
    const QString target = m_context->prompts.saveFileName(
        m_drillWindow.get(),
        current.dir().filePath(current.completeBaseName() + QStringLiteral(".kvtml")),
        QStringLiteral("KVTML (*.kvtml);;text oddělený tabulátory (*.tsv *.txt)"),
        QStringLiteral("kvtml"));
    if (!target.isEmpty())
        dictionary.exportTo(target);
}
