#include "application.h"

#include "app_context.h"

#include "drill/drill_window.h"
#include "exchange/anki_fields_dialog.h"
#include "exchange/anki_import.h"
#include "history/answer_import.h"
#include "exchange/imported_pairs.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/languages_dialog.h"
#include "vocabulary/vocabulary_store.h"
#include "widgets/prompts.h"
#include "widgets/work_progress.h"

#include "core/file_error.h"
#include "core/paths.h"
#include "core/text_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QUuid>

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
    if (IsAnkiPackageFile(source))
        return importAnkiPackage(source);
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

bool Application::importAnkiPackage(const QString &source)
{
    Prompts &prompts = m_context->prompts;
    QWidget *parent = m_drillWindow.get();
    const QFileInfo package(source);
    std::optional<AnkiCollection> collection;
    RunWithProgress(
        parent, Texts::tr("Čte se balíček %1...").arg(package.fileName()), true,
        [&](const ProgressReport &report) { collection = ReadAnkiPackage(source, report); });
    if (!collection)
        return false;
    AnkiFieldChoices choices;
    const QList<AnkiTypeToChoose> types = AnkiTypesToChoose(*collection);
    if (!types.isEmpty()) {
        AnkiFieldsDialog dialog(types, parent);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        choices = dialog.choices();
    }
    const AnkiImport import = BuildAnkiImport(*collection, choices, package.completeBaseName());
    collection.reset();
    QList<const AnkiDictionary *> dictionaries;
    QStringList titles;
    for (const AnkiDictionary &dictionary : import.dictionaries) {
        if (!dictionary.content.pairs.isEmpty()) {
            dictionaries.append(&dictionary);
            titles.append(dictionary.content.title);
        }
    }
    if (dictionaries.isEmpty()) {
        tellNothingTaken(import, package);
        return false;
    }
    const AnkiTargets targets = chooseAnkiTargets(package, titles);
    if (targets.files.isEmpty())
        return false;
    const AnkiWritten written = writeAnkiDictionaries(source, dictionaries, targets);
    QString trouble;
    const std::optional<int> added = importAnswers(written.answers, &trouble);
    // Each file holds the counters of the reviews that the history took as this computer's.
    for (const QString &target : written.files)
        m_context->shared.enrolFile(target);
    if (!written.files.isEmpty()) {
        m_context->settings.dictionaryPath = written.files.at(written.withMostReviews);
        openDictionary(written.files.at(written.withMostReviews));
        const QString report = WriteAnkiSkippedReport(
            import, QFileInfo(written.files.first()).absolutePath(), package.completeBaseName());
        prompts.notice(parent, AnkiImportSummary(import, written.files, int(written.answers.size()),
                                                 added, trouble, report));
        if (!written.answers.isEmpty())
            offerReviewSchedule();
    }
    if (!written.failure.isEmpty())
        throw FileError(written.failure);
    return true;
}

void Application::tellNothingTaken(const AnkiImport &import, const QFileInfo &package)
{
    const QString report
        = WriteAnkiSkippedReport(import, package.absolutePath(), package.completeBaseName());
    m_context->prompts.error(m_drillWindow.get(),
                             AnkiNothingTakenText(import, package.filePath(), report));
}

// Every dictionary that can be written is, with its answers for the history; the first write
// that fails ends it, to be told after the rest.
Application::AnkiWritten
Application::writeAnkiDictionaries(const QString &source,
                                   const QList<const AnkiDictionary *> &dictionaries,
                                   const AnkiTargets &targets)
{
    AnkiWritten written;
    qsizetype mostReviews = -1;
    for (qsizetype index = 0; index < dictionaries.size(); ++index) {
        const QString target = ResolvedPath(targets.files.at(index));
        const AnkiDictionary &dictionary = *dictionaries.at(index);
        Vocabulary stored;
        // The dictionaries written before a failure stay, with their answers.
        if (const auto failure = FileFailureOf([&] {
                if (targets.earlier.contains(targets.files.at(index)))
                    m_context->dictionary.updateFromImport(target, [&](Vocabulary &earlier) {
                        return AddNewAnkiPairs(earlier, dictionary.content);
                    });
                else
                    m_context->dictionary.importInto(source, target,
                                                     DictionaryFromImport(dictionary.content));
                ReadVocabularyFile(target, stored);
            })) {
            written.failure = failure->message();
            break;
        }
        written.answers += AnkiAnswerRecords(dictionary, stored, target);
        // The deck the learning is in is the one opened.
        if (dictionary.answers.size() > mostReviews) {
            mostReviews = dictionary.answers.size();
            written.withMostReviews = written.files.size();
        }
        written.files.append(target);
    }
    return written;
}

Application::AnkiTargets Application::chooseAnkiTargets(const QFileInfo &package,
                                                        const QStringList &titles)
{
    Prompts &prompts = m_context->prompts;
    QWidget *parent = m_drillWindow.get();
    AnkiTargets targets;
    // Dictionaries of the same names beside the package (one deck) or in the folder chosen
    // (several) were made by an earlier import of it: the user may have them updated. `earlier`
    // has one for each title, empty where there is none.
    const auto offerEarlier = [&](QStringList earlier) {
        earlier.removeAll(QString());
        if (earlier.isEmpty()
            || !prompts.confirm(parent,
                                Texts::tr("Z balíčku %1 už jsou slovníky:\n%2\n"
                                          "Doplnit do nich nové poznámky? Jejich dvojice "
                                          "i statistika zůstanou. (Ne: vzniknou nové "
                                          "slovníky.)")
                                    .arg(package.fileName(), earlier.join(QLatin1Char('\n')))))
            return false;
        targets.earlier = earlier;
        return true;
    };
    if (titles.size() == 1) {
        if (offerEarlier(AnkiEarlierDictionaries(package.absolutePath(), titles))) {
            targets.files = targets.earlier;
            return targets;
        }
        const QString target = prompts.saveFileName(
            parent, AnkiDictionaryFiles(package.absolutePath(), titles).first(),
            Texts::tr("slovníky (*.slv)"), QStringLiteral("slv"));
        if (!target.isEmpty())
            targets.files = {target};
        return targets;
    }
    const QString folder = prompts.folderName(parent, package.absolutePath());
    if (folder.isEmpty())
        return targets;
    const QStringList fresh = AnkiDictionaryFiles(folder, titles);
    const QStringList earlier = AnkiEarlierDictionaries(folder, titles);
    const bool update = offerEarlier(earlier);
    for (qsizetype i = 0; i < titles.size(); ++i)
        targets.files.append(update && !earlier.at(i).isEmpty() ? earlier.at(i) : fresh.at(i));
    return targets;
}

void Application::offerReviewSchedule()
{
    Settings &settings = m_context->settings;
    if (settings.pairChoice == PairChoice::BySchedule
        || !m_context->prompts.confirm(
            m_drillWindow.get(),
            Texts::tr("Převzaté opakování z Anki se projeví při nabízení slov podle plánu "
                      "opakování. Nabízet slova podle plánu opakování? (V nastavení jde "
                      "změnit a tlačítkem \"ulož\" uložit.)")))
        return;
    settings.pairChoice = PairChoice::BySchedule;
    m_context->drill.applySettings();
}

std::optional<int> Application::importAnswers(const QList<AnswerRecord> &answers, QString *trouble)
{
    if (answers.isEmpty())
        return 0;
    const QString unavailable = Texts::tr("historie odpovědí teď není k dispozici.");
    if (!m_context->history.ensureOpen()) {
        *trouble = unavailable;
        return std::nullopt;
    }
    const QString historyPath = m_context->history.path();
    const double retention = DesiredRetention(m_context->settings);
    std::optional<int> added;
    RunWithProgress(m_drillWindow.get(), Texts::tr("Opakování se zapisují do historie..."), false,
                    [&](const ProgressReport &) {
                        const QString connection
                            = QStringLiteral("import-") + QUuid::createUuid().toString();
                        {
                            QSqlDatabase db = OpenHistoryConnection(connection, historyPath);
                            if (!db.isOpen())
                                *trouble = unavailable;
                            else
                                added = ImportAnswers(db, answers, retention, trouble);
                        }
                        QSqlDatabase::removeDatabase(connection);
                    });
    if (added)
        syncSoon();
    return added;
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
