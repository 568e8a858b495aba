#include "current_dictionary.h"

#include "languages.h"
#include "vocabulary_file.h"

#include "core/file_error.h"
#include "core/paths.h"
#include "core/text_file.h"

#include <QCoreApplication>
#include <QSet>

#include <utility>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(CurrentDictionary)
};

} // namespace

CurrentDictionary::CurrentDictionary(QObject *parent)
    : QObject(parent)
{}

CurrentDictionary::~CurrentDictionary() = default;

bool CurrentDictionary::isFileOf(const QString &fileName) const
{
    return !m_vocabulary.path.isEmpty() && SameFile(fileName, m_vocabulary.path);
}

bool CurrentDictionary::holdsLock() const
{
    return !m_vocabulary.path.isEmpty() && m_lock.holds(m_vocabulary.path);
}

void CurrentDictionary::setSyncFolder(const QString &syncFolder, const QString &localLocks)
{
    const QString &path = m_vocabulary.path;
    const QString lockFile = LockFilePath(path, syncFolder, localLocks);
    if (holdsLock() && lockFileOf(path) != lockFile) {
        DictionaryLock moved;
        if (moved.lock(path, lockFile) == DictionaryLock::Result::Locked)
            m_lock = std::move(moved); // the lock where it was is given back
    }
    m_syncFolder = syncFolder;
    m_localLocks = localLocks;
}

QString CurrentDictionary::lockFileOf(const QString &path) const
{
    return LockFilePath(path, m_syncFolder, m_localLocks);
}

bool CurrentDictionary::isShared() const
{
    return IsInFolder(m_vocabulary.path, m_syncFolder);
}

DictionaryResult CurrentDictionary::open(const QString &fileName, Sharing sharing)
{
    writeBackFirst();
    const QString path = ResolvedPath(fileName);
    // The new file's lock is taken aside and kept only once the file has been read, so that
    // a dictionary that stays current keeps its own.
    const bool alreadyLocked = m_lock.holds(path);
    DictionaryLock lock;
    const DictionaryLock::Result locked
        = alreadyLocked ? DictionaryLock::Result::Locked : lock.lock(path, lockFileOf(path));
    if (locked == DictionaryLock::Result::HeldElsewhere && sharing == Sharing::RespectOtherCopies) {
        DictionaryResult held;
        held.status = DictionaryResult::Status::HeldElsewhere;
        return held;
    }
    ReadVocabularyFile(path, m_vocabulary);
    m_vocabulary.path = path;
    if (locked == DictionaryLock::Result::Locked) {
        if (!alreadyLocked)
            m_lock = std::move(lock);
    } else {
        m_lock.unlock();
    }
    m_mergeTold = false;
    m_sharedWritten = false;
    m_saveFailureTold = false;
    m_unstoredTold.clear();
    emit opened();
    return {};
}

// A write-back that fails is not the failure of a command: the answers stay in memory, and
// whoever asked decides what the user is told and offered.
DictionaryResult CurrentDictionary::tryWriteBack()
{
    DictionaryResult result;
    const std::optional<FileError> failure = FileFailureOf([&] {
        const QString path = m_vocabulary.path;
        const WriteBack written
            = SaveVocabulary(m_vocabulary, m_journal, [this, path] { emit answersSettled(path); });
        if (written.written && written.journalUnkept.isEmpty())
            m_journalTroubleTold = false;
        if (!written.journalUnkept.isEmpty() && !m_journalTroubleTold) {
            m_journalTroubleTold = true;
            result.journalUnkept = written.journalUnkept;
        }
        result.becameUtf8 = written.becameUtf8;
        for (const QString &pair : written.unstoredPairs) {
            if (!m_unstoredTold.contains(pair)) {
                m_unstoredTold.append(pair);
                result.unstoredPairs.append(pair);
            }
        }
        if (written.merged) {
            result.merged = true;
            result.lostPairs = written.lostPairs;
            result.tellMerge = !m_mergeTold || written.lostPairs > 0;
            m_mergeTold = true;
            emit pairsMoved(written.newPositions);
        }
    });
    if (failure) {
        result.status = DictionaryResult::Status::Failed;
        result.reason = failure->message();
    }
    return result;
}

void CurrentDictionary::writeBackFirst()
{
    const DictionaryResult result = tryWriteBack();
    if (!result.done())
        throw FileError(result.reason);
    emit writtenBack(result);
}

DictionaryResult CurrentDictionary::writeBackAnswers()
{
    DictionaryResult result = tryWriteBack();
    result.tellFailure = !result.done() && !m_saveFailureTold;
    m_saveFailureTold = !result.done();
    return result;
}

DictionaryResult CurrentDictionary::writeBackBeforeLeaving()
{
    return tryWriteBack();
}

void CurrentDictionary::discardAnswers()
{
    m_vocabulary.markSaved();
    emit answersSettled(m_vocabulary.path);
}

void CurrentDictionary::leaveAnswersToHistory()
{
    m_vocabulary.markSaved();
}

void CurrentDictionary::saveElsewhere(const QString &target)
{
    const QByteArray bytes = FormatVocabularyFile(m_vocabulary);
    m_vocabulary.stamp = m_journal.write(target, bytes);
    emit answersSettled(m_vocabulary.path);
    m_vocabulary.path = ResolvedPath(target);
    m_vocabulary.markSaved();
    m_lock.lock(m_vocabulary.path, lockFileOf(m_vocabulary.path));
}

QString CurrentDictionary::setAsideFor(const QString &fileName)
{
    if (!isFileOf(fileName))
        return {};
    writeBackFirst();
    return std::exchange(m_vocabulary.path, QString());
}

void CurrentDictionary::takeBack(const QString &path)
{
    m_vocabulary.path = path;
}

int CurrentDictionary::importInto(const QString &source, const QString &target,
                                  const Vocabulary &imported)
{
    if (SameFile(target, source))
        throw FileError(Texts::tr("Soubor %1, ze kterého se slovíčka berou, se nepřepisuje; "
                                  "zvolte pro slovník jiné jméno.")
                            .arg(source));
    // The answers belong to the file as it is now, not to the pairs that replace it.
    if (isFileOf(target))
        writeBackFirst();
    // Windows-1250 when every character fits, UTF-8 with its byte order mark otherwise.
    WriteVocabularyFile(target, imported, m_journal);
    return imported.count();
}

int CurrentDictionary::updateFromImport(const QString &target,
                                        const std::function<int(Vocabulary &)> &change)
{
    if (isFileOf(target))
        writeBackFirst();
    Vocabulary dictionary;
    ReadVocabularyFile(target, dictionary);
    const int changed = change(dictionary);
    if (changed > 0)
        WriteVocabularyFile(target, dictionary, m_journal);
    return changed;
}

void CurrentDictionary::storeLanguages(const SideLanguages &languages)
{
    if (m_vocabulary.path.isEmpty() || m_vocabulary.count() == 0)
        return;
    rewrite(Texts::tr("jazyky se neuložily, zkuste to prosím znovu."),
            [&](Vocabulary &changed) { StoreLanguages(changed, languages); });
}

SharedWrite CurrentDictionary::writeShared(const std::optional<SharedCounters> &counters,
                                           const QList<Vocabulary> &copies)
{
    writeBackFirst();
    SharedWrite result;
    const QString path = m_vocabulary.path;
    FileStamp stamp;
    const QByteArray onDisk = ReadFileBytes(path, &stamp);
    // Another computer's write, a hand edit or a file put back: its pairs are what is current.
    const bool changedElsewhere = stamp.hash != m_vocabulary.stamp.hash;
    Vocabulary shared = changedElsewhere ? ParseVocabularyFile(onDisk, path) : m_vocabulary;
    shared.path = path;
    for (const Vocabulary &copy : copies) {
        const PairsTaken taken = TakeMissingPairs(shared, copy);
        result.pairsAdded += taken.added;
        result.pairsLeft += taken.left;
    }
    if (counters) {
        QSet<QString> counted;
        for (VocabularyEntry &entry : shared.entries) {
            const QString key = PairKey(entry);
            // A pair written twice has its counters in its first line.
            const Counters wanted = counted.contains(key) ? Counters{} : counters->value(key);
            counted.insert(key);
            if (CountersOf(entry) == wanted)
                continue;
            // Changed since it was read, or as it was opened (put back while the program was
            // closed).
            if (changedElsewhere || !m_sharedWritten)
                result.countersReplaced = true;
            SetCounters(entry, wanted);
        }
    }
    TextEncoding used = shared.encoding;
    const QByteArray bytes = FormatVocabularyFile(shared, &used);
    if (bytes != onDisk) {
        shared.stamp = m_journal.write(path, bytes, stamp.hash);
        shared.encoding = used;
        result.written = true;
    } else {
        shared.stamp = stamp;
    }
    shared.markSaved();
    // The pairs keep their places as far as they are still there; new ones follow.
    QHash<QString, int> places;
    for (int position = shared.count(); position >= 1; --position)
        places.insert(PairKey(shared.at(position)), position);
    QList<int> positions;
    for (const VocabularyEntry &entry : m_vocabulary.entries)
        positions.append(places.value(PairKey(entry), 0));
    m_vocabulary = std::move(shared);
    m_sharedWritten = true;
    emit pairsMoved(positions);
    return result;
}

void CurrentDictionary::rewrite(const QString &changedMeanwhile,
                                const std::function<void(Vocabulary &)> &change)
{
    writeBackFirst();
    const QString &path = m_vocabulary.path;
    if (!CurrentStamp(path).sameAttributes(m_vocabulary.stamp))
        throw FileError(Texts::tr("Slovník %1 mezitím změnil jiný program; ").arg(path)
                        + changedMeanwhile);
    Vocabulary changed = m_vocabulary;
    change(changed);
    TextEncoding used = changed.encoding;
    const QByteArray bytes = FormatVocabularyFile(changed, &used);
    changed.stamp = m_journal.write(path, bytes, m_vocabulary.stamp.hash);
    changed.encoding = used;
    changed.markSaved();
    m_vocabulary = std::move(changed);
}
