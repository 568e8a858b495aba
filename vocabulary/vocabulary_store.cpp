#include "vocabulary_store.h"

#include "vocabulary_file.h"

#include "core/file_error.h"
#include "core/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSet>

#include <algorithm>
#include <limits>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(VocabularyStore)
};

// A pair is known by its text: both sides with their comments.
qint32 addAnswers(qint32 theirs, qint64 delta)
{
    qint64 sum = qint64(theirs) + delta;
    if (delta < 0 && sum < 0)
        sum = 0;
    return qint32(std::clamp<qint64>(sum, std::numeric_limits<qint32>::min(),
                                     std::numeric_limits<qint32>::max()));
}

} // namespace

QString PairKey(const VocabularyEntry &entry)
{
    return entry.side[1] + QChar(0x1f) + entry.comment[1] + QChar(0x1f) + entry.side[2]
           + QChar(0x1f) + entry.comment[2];
}

QList<int> MergeAnswers(const Vocabulary &mine, Vocabulary &theirs, int *lostPairs)
{
    QHash<QString, QList<int>> places;
    for (int i = 0; i < theirs.count(); ++i)
        places[PairKey(theirs.entries.at(i))].append(i + 1);
    QHash<QString, int> taken;
    QList<int> newPositions(mine.count(), 0);
    int lost = 0;
    for (int i = 0; i < mine.count(); ++i) {
        const VocabularyEntry &entry = mine.entries.at(i);
        const QString key = PairKey(entry);
        const QList<int> candidates = places.value(key);
        const int occurrence = taken[key]++;
        const Counters now = CountersOf(entry);
        const Counters saved
            = i < mine.savedCounters.size() ? mine.savedCounters.at(i) : Counters{};
        const bool answered = now != saved;
        if (occurrence >= candidates.size()) {
            lost += answered ? 1 : 0;
            continue;
        }
        const int position = candidates.at(occurrence);
        newPositions[i] = position;
        if (!answered)
            continue;
        VocabularyEntry &target = theirs.at(position);
        Counters merged = CountersOf(target);
        for (std::size_t c = 0; c < merged.size(); ++c)
            merged[c] = addAnswers(merged[c], qint64(now[c]) - saved[c]);
        SetCounters(target, merged);
    }
    if (lostPairs)
        *lostPairs = lost;
    return newPositions;
}

PairsTaken TakeMissingPairs(Vocabulary &dictionary, const Vocabulary &copy)
{
    PairsTaken taken;
    QSet<QString> held;
    for (const VocabularyEntry &entry : dictionary.entries)
        held.insert(PairKey(entry));
    for (const VocabularyEntry &entry : copy.entries) {
        const QString key = PairKey(entry);
        if (held.contains(key))
            continue;
        if (dictionary.count() >= Vocabulary::Capacity) {
            ++taken.left;
            continue;
        }
        dictionary.entries.append(entry);
        held.insert(key);
        ++taken.added;
    }
    return taken;
}

QStringList UnstoredPairs(const Vocabulary &vocabulary)
{
    QStringList pairs;
    const FileShape &shape = vocabulary.shape;
    for (int i = 0; i < vocabulary.count() && i < shape.forms.size(); ++i) {
        const VocabularyEntry &entry = vocabulary.entries.at(i);
        const Counters saved
            = i < vocabulary.savedCounters.size() ? vocabulary.savedCounters.at(i) : Counters{};
        if (shape.forms.at(i) == PairLineForm::Unchanged && CountersOf(entry) != saved)
            pairs.append(TrimWhite(entry.side[1]) + QStringLiteral(" / ")
                         + TrimWhite(entry.side[2]));
    }
    return pairs;
}

WriteBack SaveVocabulary(Vocabulary &vocabulary, const WriteJournal &journal,
                         const std::function<void()> &stored)
{
    WriteBack result;
    if (vocabulary.path.isEmpty() || vocabulary.count() == 0 || !vocabulary.hasUnsavedAnswers())
        return result;
    const QString path = vocabulary.path;
    const FileStamp now = CurrentStamp(path);
    if (vocabulary.stamp.size >= 0 && now.size >= 0 && !now.sameAttributes(vocabulary.stamp)) {
        // Something wrote the file since: unless its content is still what was read, read
        // it again and add this session's answers to what it holds now.
        FileStamp readStamp;
        const QByteArray bytes = ReadFileBytes(path, &readStamp);
        if (readStamp.hash != vocabulary.stamp.hash) {
            Vocabulary theirs = ParseVocabularyFile(bytes, path);
            result.newPositions = MergeAnswers(vocabulary, theirs, &result.lostPairs);
            result.merged = true;
            theirs.path = path;
            // The file's counters are what is saved; the answers added are still to be written.
            theirs.stamp = readStamp;
            vocabulary = std::move(theirs);
        } else {
            vocabulary.stamp = readStamp;
        }
    }
    result.unstoredPairs = UnstoredPairs(vocabulary);
    TextEncoding used = vocabulary.encoding;
    const QByteArray bytes = FormatVocabularyFile(vocabulary, &used);
    vocabulary.stamp
        = journal.write(path, bytes, vocabulary.stamp.hash, stored, &result.journalUnkept);
    result.becameUtf8
        = vocabulary.encoding == TextEncoding::Windows1250 && used != TextEncoding::Windows1250;
    vocabulary.encoding = used;
    vocabulary.markSaved();
    result.written = true;
    return result;
}

QString UnstoredAnswersMessage(const QString &pair)
{
    return Texts::tr("Odpovědi na dvojici „%1“ program počítá, ale do slovníku je uložit "
                     "nemůže: její řádek nemá místo pro statistiku (znak '@' stojí před "
                     "'/', nebo za ním je text bez čárek). Opravte řádek v editoru.")
        .arg(pair);
}

QString BecameUtf8Message(const QString &path)
{
    return Texts::tr("Slovník %1 obsahuje znaky, které kódování windows-1250 nemá; od teď "
                     "je proto uložen v kódování UTF-8.")
        .arg(path);
}

DictionaryLock::DictionaryLock() = default;
DictionaryLock::~DictionaryLock() = default;
DictionaryLock::DictionaryLock(DictionaryLock &&) noexcept = default;
DictionaryLock &DictionaryLock::operator=(DictionaryLock &&) noexcept = default;

QString LockFilePath(const QString &dictionaryPath, const QString &syncFolder,
                     const QString &localFolder)
{
    const QFileInfo file(dictionaryPath);
    if (localFolder.isEmpty() || !IsInFolder(dictionaryPath, syncFolder))
        return file.dir().filePath(QLatin1Char('.') + file.fileName() + QStringLiteral(".lock"));
    // Named by the SHA-1 of the dictionary's full name.
    const QByteArray name = ContentVersion(file.absoluteFilePath().toUtf8()).left(16);
    return QDir(localFolder).filePath(QString::fromLatin1(name) + QStringLiteral(".lock"));
}

DictionaryLock::Result DictionaryLock::lock(const QString &dictionaryPath, const QString &lockFile)
{
    if (holds(dictionaryPath))
        return Result::Locked;
    const QString lockPath = lockFile.isEmpty() ? LockFilePath(dictionaryPath) : lockFile;
    QDir().mkpath(QFileInfo(lockPath).path());
    auto lock = std::make_unique<QLockFile>(lockPath);
    // Held for as long as the dictionary is open, so age says nothing: only a lock whose copy
    // is no longer running counts as stale.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        m_path = dictionaryPath;
        return Result::Locked;
    }
    return lock->error() == QLockFile::LockFailedError ? Result::HeldElsewhere : Result::Impossible;
}

bool DictionaryLock::holds(const QString &dictionaryPath) const
{
    return m_lock && SameFile(m_path, dictionaryPath);
}

void DictionaryLock::unlock()
{
    m_lock.reset();
    m_path.clear();
}

QString VocabularyCaption(const Vocabulary &vocabulary)
{
    const QString name = vocabulary.theme.isEmpty()
                             ? QStringLiteral(" ?????")
                             : QLatin1Char(' ') + vocabulary.theme.mid(1, 100);
    return name + Texts::tr(" (slov: %1)").arg(vocabulary.count());
}

QString EmptyVocabularyMessage()
{
    return Texts::tr("Soubor slov dosud nebyl načten nebo je prázdný.");
}

QString NoVocabularyCaption()
{
    return Texts::tr(" žádný slovník dosud nebyl načten ");
}
