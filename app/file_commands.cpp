#include "application.h"

#include "app_context.h"

#include "drill/drill_window.h"
#include "exchange/anki_import.h"
#include "exchange/anki_package_import.h"
#include "exchange/imported_pairs.h"
#include "vocabulary/languages_dialog.h"
#include "vocabulary/vocabulary_store.h"
#include "widgets/prompts.h"

#include "core/paths.h"
#include "core/text_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(FileCommands)
};

} // namespace

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
        Texts::tr("slovíčka jiných programů (*.kvtml *.tsv *.csv *.txt *.apkg *.colpkg);;"
                  "balíčky Anki (*.apkg *.colpkg);;všechny soubory (*)"));
    if (!source.isEmpty())
        importFrom(source);
}

bool Application::importFrom(const QString &source)
{
    if (IsAnkiPackageFile(source)) {
        AnkiPackageImport import(m_context->dictionary, m_context->history, m_context->settings,
                                 m_context->prompts, m_drillWindow.get(),
                                 {[this](const QString &file) {
                                      // Its counters are those of the reviews the history
                                      // took as this computer's.
                                      m_context->shared.enrolFile(file);
                                  },
                                  [this] { syncSoon(); },
                                  [this](const QString &file) {
                                      m_context->settings.dictionaryPath = file;
                                      openDictionary(file);
                                  },
                                  [this] {
                                      m_context->drill.applySettings();
                                  }});
        return import.run(source);
    }
    Prompts &prompts = m_context->prompts;
    const ImportResult result = ImportVocabularyFile(source);
    if (result.pairs.isEmpty()) {
        prompts.error(m_drillWindow.get(),
                      Texts::tr("Ze souboru %1 nešlo převzít žádnou dvojici.\n").arg(source)
                          + result.skipped.mid(0, 10).join(QLatin1Char('\n')));
        return false;
    }
    const int over = int(result.pairs.size()) - Vocabulary::Capacity;
    if (over > 0
        && !prompts.confirm(
            m_drillWindow.get(),
            Texts::tr("Soubor obsahuje %1 dvojic, slovník jich pojme nejvýše "
                      "%2. Zapsat prvních %2? ")
                    .arg(result.pairs.size())
                    .arg(Vocabulary::Capacity)
                + CountedWord(
                    over, QT_TRANSLATE_NOOP(
                              "CountedWord",
                              "zbylá bude vynechána|zbylé budou vynechány|zbylých bude vynecháno"))
                + QLatin1Char('.')))
        return false;
    const QFileInfo sourceFile(source);
    const QString target = prompts.saveFileName(
        m_drillWindow.get(),
        sourceFile.dir().filePath(sourceFile.completeBaseName() + QStringLiteral(".slv")),
        Texts::tr("slovníky (*.slv)"), QStringLiteral("slv"));
    if (target.isEmpty())
        return false;
    const int written
        = m_context->dictionary.importInto(source, target, DictionaryFromImport(result));
    m_context->shared.enrolFile(target);
    m_context->settings.dictionaryPath = ResolvedPath(target);
    openDictionary(target);
    prompts.notice(m_drillWindow.get(), ImportSummary(result, written));
    return true;
}

void Application::exportDictionary()
{
    const CurrentDictionary &dictionary = m_context->dictionary;
    if (dictionary.path().isEmpty() || dictionary.vocabulary().count() == 0) {
        m_context->prompts.notice(m_drillWindow.get(), EmptyVocabularyMessage());
        return;
    }
    const QFileInfo current(dictionary.path());
    const QString target = m_context->prompts.saveFileName(
        m_drillWindow.get(),
        current.dir().filePath(current.completeBaseName() + QStringLiteral(".kvtml")),
        Texts::tr("KVTML (*.kvtml);;text oddělený tabulátory (*.tsv *.txt)"),
        QStringLiteral("kvtml"));
    if (!target.isEmpty())
        WriteFileSafely(target, ExportForFile(dictionary.vocabulary(), target));
}
