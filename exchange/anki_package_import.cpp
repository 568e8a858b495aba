#include "anki_package_import.h"

#include "anki_fields_dialog.h"
#include "anki_import.h"

#include "history/answer_import.h"
#include "settings/settings.h"
#include "vocabulary/current_dictionary.h"
#include "vocabulary/vocabulary_file.h"
#include "widgets/prompts.h"
#include "widgets/work_progress.h"

#include "core/file_error.h"
#include "core/paths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QUuid>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(AnkiPackageImport)
};

} // namespace

AnkiPackageImport::AnkiPackageImport(CurrentDictionary &dictionary, ReviewHistory &history,
                                     Settings &settings, Prompts &prompts, QWidget *parent,
                                     Steps steps)
    : m_dictionary(dictionary)
    , m_history(history)
    , m_settings(settings)
    , m_prompts(prompts)
    , m_parent(parent)
    , m_steps(std::move(steps))
{}

bool AnkiPackageImport::run(const QString &source)
{
    const QFileInfo package(source);
    std::optional<AnkiCollection> collection;
    RunWithProgress(
        m_parent, Texts::tr("Čte se balíček %1...").arg(package.fileName()), true,
        [&](const ProgressReport &report) { collection = ReadAnkiPackage(source, report); });
    if (!collection)
        return false;
    AnkiFieldChoices choices;
    const QList<AnkiTypeToChoose> types = AnkiTypesToChoose(*collection);
    if (!types.isEmpty()) {
        AnkiFieldsDialog dialog(types, m_parent);
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
    const Targets targets = chooseTargets(package, titles);
    if (targets.files.isEmpty())
        return false;
    const Written written = writeDictionaries(source, dictionaries, targets);
    QString trouble;
    const std::optional<int> added = importAnswers(written.answers, &trouble);
    // Each file holds the counters of the reviews that the history took as this computer's.
    for (const QString &target : written.files)
        m_steps.written(target);
    if (!written.files.isEmpty()) {
        m_steps.open(written.files.at(written.withMostReviews));
        const QString report = WriteAnkiSkippedReport(
            import, QFileInfo(written.files.first()).absolutePath(), package.completeBaseName());
        m_prompts.notice(m_parent,
                         AnkiImportSummary(import, written.files, int(written.answers.size()),
                                           added, trouble, report));
        if (!written.answers.isEmpty())
            offerReviewSchedule();
    }
    if (!written.failure.isEmpty())
        throw FileError(written.failure);
    return true;
}

void AnkiPackageImport::tellNothingTaken(const AnkiImport &import, const QFileInfo &package)
{
    const QString report
        = WriteAnkiSkippedReport(import, package.absolutePath(), package.completeBaseName());
    m_prompts.error(m_parent, AnkiNothingTakenText(import, package.filePath(), report));
}

// Every dictionary that can be written is, with its answers for the history; the first write
// that fails ends it, to be told after the rest.
AnkiPackageImport::Written
AnkiPackageImport::writeDictionaries(const QString &source,
                                     const QList<const AnkiDictionary *> &dictionaries,
                                     const Targets &targets)
{
    Written written;
    qsizetype mostReviews = -1;
    for (qsizetype index = 0; index < dictionaries.size(); ++index) {
        const QString target = ResolvedPath(targets.files.at(index));
        const AnkiDictionary &dictionary = *dictionaries.at(index);
        Vocabulary stored;
        // The dictionaries written before a failure stay, with their answers.
        if (const auto failure = FileFailureOf([&] {
                if (targets.earlier.contains(targets.files.at(index)))
                    m_dictionary.updateFromImport(target, [&](Vocabulary &earlier) {
                        return AddNewAnkiPairs(earlier, dictionary.content);
                    });
                else
                    m_dictionary.importInto(source, target,
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

AnkiPackageImport::Targets AnkiPackageImport::chooseTargets(const QFileInfo &package,
                                                            const QStringList &titles)
{
    Targets targets;
    // Dictionaries of the same names beside the package (one deck) or in the folder chosen
    // (several) were made by an earlier import of it: the user may have them updated. `earlier`
    // has one for each title, empty where there is none.
    const auto offerEarlier = [&](QStringList earlier) {
        earlier.removeAll(QString());
        if (earlier.isEmpty()
            || !m_prompts.confirm(m_parent,
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
        const QString target = m_prompts.saveFileName(
            m_parent, AnkiDictionaryFiles(package.absolutePath(), titles).first(),
            Texts::tr("slovníky (*.slv)"), QStringLiteral("slv"));
        if (!target.isEmpty())
            targets.files = {target};
        return targets;
    }
    const QString folder = m_prompts.folderName(m_parent, package.absolutePath());
    if (folder.isEmpty())
        return targets;
    const QStringList fresh = AnkiDictionaryFiles(folder, titles);
    const QStringList earlier = AnkiEarlierDictionaries(folder, titles);
    const bool update = offerEarlier(earlier);
    for (qsizetype i = 0; i < titles.size(); ++i)
        targets.files.append(update && !earlier.at(i).isEmpty() ? earlier.at(i) : fresh.at(i));
    return targets;
}

void AnkiPackageImport::offerReviewSchedule()
{
    if (m_settings.pairChoice == PairChoice::BySchedule
        || !m_prompts.confirm(
            m_parent,
            Texts::tr("Převzaté opakování z Anki se projeví při nabízení slov podle plánu "
                      "opakování. Nabízet slova podle plánu opakování? (V nastavení jde "
                      "změnit a tlačítkem \"ulož\" uložit.)")))
        return;
    m_settings.pairChoice = PairChoice::BySchedule;
    m_steps.settingsChanged();
}

std::optional<int> AnkiPackageImport::importAnswers(const QList<AnswerRecord> &answers,
                                                    QString *trouble)
{
    if (answers.isEmpty())
        return 0;
    const QString unavailable = Texts::tr("historie odpovědí teď není k dispozici.");
    if (!m_history.ensureOpen()) {
        *trouble = unavailable;
        return std::nullopt;
    }
    const QString historyPath = m_history.path();
    const MemoryModel model = MemoryModelOf(m_settings);
    std::optional<int> added;
    RunWithProgress(m_parent, Texts::tr("Opakování se zapisují do historie..."), false,
                    [&](const ProgressReport &) {
                        const QString connection
                            = QStringLiteral("import-") + QUuid::createUuid().toString();
                        {
                            QSqlDatabase db = OpenHistoryConnection(connection, historyPath);
                            if (!db.isOpen())
                                *trouble = unavailable;
                            else
                                added = ImportAnswers(db, answers, model, trouble);
                        }
                        QSqlDatabase::removeDatabase(connection);
                    });
    if (added)
        m_steps.answersTaken();
    return added;
}
