#include "synced_dictionary.h"

#include "log_exchange.h"

#include "core/file_error.h"
#include "core/text_file.h"
#include "vocabulary/current_dictionary.h"
#include "vocabulary/vocabulary_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(SyncedDictionary)
};

bool waitsForItsLog(bool named, const QString &path, qint64 nowMs)
{
    return !named
           && nowMs - QFileInfo(path).lastModified().toMSecsSinceEpoch() < UnloggedVersionWaitMs;
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
    if (!dictionaryWriters || !copyWriters) {
        result.outcome = CopyMerge::Outcome::Failed;
        result.reason = Texts::tr("Historii odpovědí nelze číst: %1").arg(reason);
        return result;
    }
    if (waitsForItsLog(!dictionaryWriters->isEmpty(), path, nowMs)
        || waitsForItsLog(!copyWriters->isEmpty(), copyPath, nowMs))
        return result;
    const CountedByVersions counted
        = ChooseCounted(*dictionaryWriters, *copyWriters, version == copyVersion);
    const auto answersOf = [&](const QString &computer, qint64 after, qint64 upTo) {
        const auto answers = LoggedAnswersOn(db, path, computer, after, upTo, &reason);
        if (!answers)
            throw FileError(Texts::tr("Historii odpovědí nelze číst: %1").arg(reason));
        return countedAnswers(*answers);
    };
    try {
        result.merge = dictionary.mergeConflictCopy(copy, copyVersion, counted.dictionary,
                                                    counted.copy, answersOf);
        result.outcome = CopyMerge::Outcome::Merged;
    } catch (const FileError &error) {
        result.outcome = CopyMerge::Outcome::Failed;
        result.reason = error.message();
    }
    return result;
}

bool CountsEveryOwnAnswer(bool ownLine, const QString &dictionaryPath)
{
    return ownLine && ConflictCopies(dictionaryPath).isEmpty();
}
