#include "shared_dictionary.h"

#include "conflict_copies.h"

#include "history/history_rows.h"
#include "vocabulary/vocabulary_file.h"
#include "vocabulary/vocabulary_store.h"

#include "core/file_error.h"
#include "core/paths.h"
#include "core/text_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Synchronisation)
};

// Every pair's counters as they stand, set at `atMs` as the dictionary comes into the folder.
QList<CounterSetting> settingsOf(const Vocabulary &vocabulary, const QString &path, qint64 atMs)
{
    QList<CounterSetting> settings;
    QSet<QString> seen;
    for (const VocabularyEntry &entry : vocabulary.entries) {
        // A pair written twice has its counters in its first line.
        if (seen.contains(PairKey(entry)))
            continue;
        seen.insert(PairKey(entry));
        settings.append({atMs, path, PairTextOf(entry), CountersOf(entry), {}, true});
    }
    return settings;
}

// A pair as the history knows it, by the key the dictionary knows it by.
QString keyOf(const PairText &pair)
{
    VocabularyEntry entry;
    entry.side[1] = pair.side1;
    entry.comment[1] = pair.comment1;
    entry.side[2] = pair.side2;
    entry.comment[2] = pair.comment2;
    return PairKey(entry);
}

SharedCounters byPairKey(const QHash<PairText, Counters> &counters)
{
    SharedCounters shared;
    shared.reserve(counters.size());
    for (auto pair = counters.cbegin(); pair != counters.cend(); ++pair)
        shared.insert(keyOf(pair.key()), *pair);
    return shared;
}

} // namespace

SharedDictionary::SharedDictionary(CurrentDictionary &dictionary, ReviewHistory &history,
                                   Clock clock, QObject *parent)
    : QObject(parent)
    , m_dictionary(dictionary)
    , m_history(history)
    , m_clock(std::move(clock))
{
    // Read again from its file: the counters are the file's, perhaps another writer's.
    connect(&m_dictionary, &CurrentDictionary::opened, this, [this] { m_writtenPath.clear(); });
    connect(&m_dictionary, &CurrentDictionary::pairsMoved, this, [this] {
        if (!m_writing)
            m_writtenPath.clear();
    });
}

void SharedDictionary::follow(const QString &folder, const QString &computer, SyncSoon syncSoon)
{
    m_folder = folder;
    m_computer = computer;
    m_syncSoon = std::move(syncSoon);
    m_lastAsked = 0;
    m_copiesLeft.clear();
    m_countersReplacedTold.clear();
    m_writeTrouble.clear();
    m_writtenPath.clear();
    m_writtenRead.clear();
    m_editorContext.reset();
    m_editorPairs.clear();
}

bool SharedDictionary::isSynchronised(const QString &path) const
{
    return m_syncSoon && IsInFolder(path, m_folder);
}

void SharedDictionary::syncSoon()
{
    if (m_syncSoon)
        m_lastAsked = m_syncSoon();
}

void SharedDictionary::noteSettings(const QList<CounterSetting> &settings,
                                    const std::optional<SettingContext> &context)
{
    if (!m_syncSoon || settings.isEmpty())
        return;
    m_history.noteSettings(settings, context);
    // Counters computed before these were noted would undo them: only those after count.
    syncSoon();
}

void SharedDictionary::enrolFile(const QString &path)
{
    if (!isSynchronised(path))
        return;
    // Gone again already, the file is not enrolled: whoever replaced it wrote a file of their
    // own, taken as it comes.
    FileFailureOf([&] {
        const QString full = ResolvedPath(path);
        const Vocabulary written = ParseVocabularyFile(ReadFileBytes(full), full);
        noteSettings(settingsOf(written, full, m_clock()));
    });
}

void SharedDictionary::noteResetCounters(const Vocabulary &before)
{
    if (!m_syncSoon || !m_dictionary.isShared())
        return;
    QList<CounterSetting> settings;
    const qint64 at = m_clock();
    const Vocabulary &after = m_dictionary.vocabulary();
    for (int i = 0; i < after.count() && i < before.count(); ++i) {
        if (CountersOf(after.entries.at(i)) != CountersOf(before.entries.at(i)))
            settings.append({at,
                             m_dictionary.path(),
                             PairTextOf(after.entries.at(i)),
                             CountersOf(after.entries.at(i)),
                             {}});
    }
    noteSettings(settings, contextOfFile(m_dictionary.path()));
}

std::optional<SettingContext> SharedDictionary::contextOfFile(const QString &path)
{
    std::optional<SettingContext> context = m_history.contextNow();
    if (context && path == m_writtenPath)
        context->others = m_writtenRead;
    return context;
}

void SharedDictionary::writeCountersNow()
{
    QSqlDatabase db = m_history.database();
    QString reason;
    // One read, so that the counters hold exactly what they say they have read.
    const bool began = db.transaction();
    const auto counters = SharedCountersOf(db, m_dictionary.path(), m_computer, &reason);
    if (began)
        db.commit();
    // A write that fails is done by the next sync; the file's counters stand meanwhile.
    if (counters && counters->enrolled && !FileFailureOf([&] {
            SharedWrite written;
            writeCounters(*counters, {}, written);
        }))
        return;
    // The file's counters stand: the answers given here go into them first, and a file of
    // another writer met on the way is known for one.
    m_dictionary.writeBackAnswers();
}

void SharedDictionary::writeCounters(const DictionaryCounters &counters,
                                     const QList<Vocabulary> &copies, SharedWrite &written)
{
    m_writing = true;
    try {
        written = m_dictionary.writeShared(
            counters.enrolled ? std::optional(byPairKey(counters.pairs)) : std::nullopt, copies);
    } catch (...) {
        m_writing = false;
        throw;
    }
    m_writing = false;
    if (counters.enrolled) {
        m_writtenPath = m_dictionary.path();
        m_writtenRead = counters.read;
    }
}

void SharedDictionary::editorOpens(const QString &path)
{
    m_editorContext.reset();
    m_editorPairs.clear();
    if (!isSynchronised(path))
        return;
    if (path == m_dictionary.path() && m_dictionary.isShared() && m_dictionary.holdsLock())
        writeCountersNow();
    m_editorContext = contextOfFile(path);
    // Unreadable, though the editor read it a moment ago: nothing is carried.
    if (FileFailureOf([&] {
            for (const VocabularyEntry &entry :
                 ParseVocabularyFile(ReadFileBytes(path), path).entries)
                m_editorPairs.insert(PairKey(entry));
        }))
        m_editorContext.reset();
}

void SharedDictionary::noteRenamedPairs(const QString &path)
{
    const std::optional<SettingContext> context = std::exchange(m_editorContext, std::nullopt);
    const QSet<QString> before = std::exchange(m_editorPairs, {});
    if (!isSynchronised(path) || !context)
        return;
    // Replaced already by another writer, the file is taken as it comes: nothing is carried.
    FileFailureOf([&] {
        const Vocabulary saved = ParseVocabularyFile(ReadFileBytes(path), path);
        QList<CounterSetting> renamed;
        for (const CounterSetting &setting : settingsOf(saved, path, m_clock())) {
            if (!before.contains(keyOf(setting.pair)) && setting.counters != Counters{}) {
                renamed.append(setting);
                renamed.last().entering = false;
            }
        }
        noteSettings(renamed, context);
    });
}

void SharedDictionary::takeCounters(const QString &path, const DictionaryCounters &counters,
                                    quint64 round)
{
    // Counters computed before the last answer or setting here know nothing of it: written,
    // they would take its count out of the file until the next sync.
    if (round < m_lastAsked || path != m_dictionary.path() || !m_dictionary.holdsLock()
        || !m_dictionary.isShared())
        return;
    // The conflict copies that can be read; one that vanished was taken in by another computer.
    QList<Vocabulary> copies;
    QStringList copyPaths;
    for (const QString &copy : ConflictCopies(path)) {
        if (m_copiesLeft.contains(copy))
            continue;
        const std::optional<FileError> unread = FileFailureOf([&] {
            copies.append(ParseVocabularyFile(ReadFileBytes(copy), copy));
            copyPaths.append(copy);
        });
        if (unread && QFileInfo::exists(copy)) {
            m_copiesLeft.append(copy);
            emit news(Texts::tr("Kopii %1, kterou synchronizační program uložil vedle slovníku "
                                "%2, se nepodařilo přečíst, a tak zůstává, kde je: %3")
                          .arg(copy, path, unread->message()));
        }
    }
    SharedWrite written;
    if (const auto failure = FileFailureOf([&] { writeCounters(counters, copies, written); })) {
        // Tried again after the next sync; told once.
        const QString text = Texts::tr("Slovník %1 se zatím nepodařilo zapsat podle odpovědí "
                                       "ze všech počítačů: %2")
                                 .arg(path, failure->message());
        if (text != m_writeTrouble)
            emit news(text);
        m_writeTrouble = text;
        return;
    }
    m_writeTrouble.clear();
    if (!counters.enrolled) {
        // The dictionary comes into the synchronised folder with its counters as they stand.
        noteSettings(settingsOf(m_dictionary.vocabulary(), path, m_clock()));
    } else if (written.countersReplaced && !counters.recordsCame
               && !m_countersReplacedTold.contains(path)) {
        m_countersReplacedTold.append(path);
        emit news(Texts::tr("Četnosti a chybovosti slovníku %1 se lišily od odpovědí všech "
                            "počítačů (soubor byl změněn jinak než Merkem); ve synchronizované "
                            "složce se řídí odpověďmi všech počítačů.")
                      .arg(path));
    }
    takeInCopies(copyPaths, written);
}

void SharedDictionary::takeInCopies(const QStringList &copyPaths, const SharedWrite &written)
{
    if (copyPaths.isEmpty())
        return;
    const QString path = m_dictionary.path();
    if (written.pairsLeft > 0) {
        m_copiesLeft += copyPaths;
        emit news(Texts::tr("Kopie slovníku %1 od synchronizačního programu jsou sloučeny: "
                            "přidaných dvojic %2. Dvojic, které se do slovníku nevešly: %3; "
                            "kopie proto zůstávají.")
                      .arg(path)
                      .arg(written.pairsAdded)
                      .arg(written.pairsLeft));
        return;
    }
    QStringList kept;
    for (const QString &copy : copyPaths) {
        if (!QFile::remove(copy) && QFileInfo::exists(copy))
            kept.append(copy);
    }
    m_copiesLeft += kept;
    QString text = Texts::tr("Slovník %1 se změnil na dvou počítačích zároveň; kopie, které "
                             "synchronizační program uložil vedle něj, jsou sloučeny (přidaných "
                             "dvojic %2).")
                       .arg(path)
                       .arg(written.pairsAdded);
    if (!kept.isEmpty())
        text += Texts::tr(" Kopii se nepodařilo smazat; smažte ji prosím sami.");
    emit news(text);
}
