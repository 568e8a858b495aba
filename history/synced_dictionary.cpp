#include "synced_dictionary.h"

#include "log_exchange.h"

#include "core/file_error.h"
#include "core/text_file.h"
#include "vocabulary/current_dictionary.h"
#include "vocabulary/vocabulary_file.h"

#include <QCoreApplication>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(SyncedDictionary)
};

bool waitsForItsLog(bool named, const QString &path, qint64 nowMs)
{
    return !named && nowMs - CurrentStamp(path).arrived() / NsPerMs < UnloggedVersionWaitMs;
}

QList<CountedAnswer> countedAnswers(const QList<AnswerRecord> &answers)
{
    QList<CountedAnswer> counted;
    for (const AnswerRecord &answer : answers) {
        VocabularyEntry pair;
        pair.side[1] = answer.card.pair.side1;
        pair.comment[1] = answer.card.pair.comment1;
        pair.side[2] = answer.card.pair.side2;
        pair.comment[2] = answer.card.pair.comment2;
        counted.append({pair, answer.card.offeredSide, answer.grade == Grade::Again});
    }
    return counted;
}

// A computer's answers on the dictionary, as the history has them.
std::function<QList<CountedAnswer>(const QString &, qint64, qint64)> answersOn(QSqlDatabase db,
                                                                               const QString &path)
{
    return [db, path](const QString &computer, qint64 after, qint64 upTo) {
        QString reason;
        const auto answers = LoggedAnswersOn(db, path, computer, after, upTo, &reason);
        if (!answers)
            throw FileError(Texts::tr("Historii odpovědí nelze číst: %1").arg(reason));
        return countedAnswers(*answers);
    };
}

CopyMerge historyUnreadable(const QString &reason)
{
    CopyMerge result;
    result.outcome = CopyMerge::Outcome::Failed;
    result.reason = Texts::tr("Historii odpovědí nelze číst: %1").arg(reason);
    return result;
}

// Merges the copy (none, with no version: the file itself) into the dictionary by what each
// version counted.
CopyMerge merged(CurrentDictionary &dictionary, QSqlDatabase db, const Vocabulary &copy,
                 const QByteArray &copyVersion, const IncludedAnswers &dictionaryCounted,
                 const IncludedAnswers &copyCounted)
{
    CopyMerge result;
    try {
        result.merge = dictionary.mergeConflictCopy(copy, copyVersion, dictionaryCounted,
                                                    copyCounted, answersOn(db, dictionary.path()));
        result.outcome = CopyMerge::Outcome::Merged;
    } catch (const FileError &error) {
        result.outcome = CopyMerge::Outcome::Failed;
        result.reason = error.message();
    }
    return result;
}

} // namespace

CopyMerge MergeConflictCopyByLogs(CurrentDictionary &dictionary, QSqlDatabase db,
                                  const QString &copyPath, qint64 nowMs)
{
    CopyMerge result;
    const QString path = dictionary.path();
    Vocabulary copy;
    QByteArray copyVersion;
    try {
        const QByteArray bytes = ReadFileBytes(copyPath);
        copy = ParseVocabularyFile(bytes, copyPath);
        copyVersion = ContentVersion(bytes);
    } catch (const FileError &error) {
        result.outcome = CopyMerge::Outcome::Unreadable;
        result.reason = error.message();
        return result;
    }
    QString reason;
    const QByteArray version = dictionary.vocabulary().stamp.version;
    const auto dictionaryWriters = CountedByWriters(db, version, &reason);
    const auto copyWriters = CountedByWriters(db, copyVersion, &reason);
    if (!dictionaryWriters || !copyWriters)
        return historyUnreadable(reason);
    const auto unlogged = IsUnloggedOwnVersion(db, version, &reason);
    if (!unlogged)
        return historyUnreadable(reason);
    if (*unlogged || waitsForItsLog(!dictionaryWriters->isEmpty(), path, nowMs)
        || waitsForItsLog(!copyWriters->isEmpty(), copyPath, nowMs))
        return result;
    // What the file holds is taken with its line, so that no answer it holds is added again;
    // of the copy only what its writer says it counted is added.
    const auto dictionaryCounted = CountedWithBases(db, version, &reason);
    if (!dictionaryCounted)
        return historyUnreadable(reason);
    // What the dictionary owes comes with the merge (a copy of the same bytes owes just that);
    // what the copy's line owes follows once its pairs are in the dictionary.
    const auto owed = OwedAnswers(db, path, version, *dictionaryCounted, &reason);
    if (!owed)
        return historyUnreadable(reason);
    return merged(dictionary, db, copy, copyVersion, *dictionaryCounted,
                  UnitedCounts({CountedByOneWriter(*copyWriters), *owed}));
}

CopyMerge CountOwedAnswers(CurrentDictionary &dictionary, QSqlDatabase db)
{
    const QString path = dictionary.path();
    const QByteArray version = dictionary.vocabulary().stamp.version;
    QString reason;
    const auto writers = CountedByWriters(db, version, &reason);
    if (!writers)
        return historyUnreadable(reason);
    if (writers->isEmpty())
        return {}; // what it counted is not known yet
    // Owed answers are rare: what the versions the file was made from counted is read only
    // when the file's own word leaves some out.
    std::optional<IncludedAnswers> counted = CountedByOneWriter(*writers);
    std::optional<IncludedAnswers> owed = OwedAnswers(db, path, version, *counted, &reason);
    if (owed && !owed->isEmpty()) {
        counted = CountedWithBases(db, version, &reason);
        owed = counted ? OwedAnswers(db, path, version, *counted, &reason) : std::nullopt;
    }
    if (!owed)
        return historyUnreadable(reason);
    if (owed->isEmpty())
        return {};
    // The file as a merge of itself, once with what it holds and once with what the others
    // counted.
    return merged(dictionary, db, Vocabulary(), {}, *counted, UnitedCounts({*counted, *owed}));
}
