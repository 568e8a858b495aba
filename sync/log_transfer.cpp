#include "log_transfer.h"

#include "history/answer_import.h"
#include "history/history_rows.h"
#include "history/sqlite_statement.h"

#include "core/paths.h"
#include "core/text_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <limits>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(LogTransfer)
};

bool failed(const QSqlQuery &query, QString *reason)
{
    *reason = SqlFailureReason(query.lastError());
    return false;
}

// The numbers of a computer's records of one kind, among `first` to `last`, that the history
// holds: a log read again from its start repeats what is known.
bool knownNumbers(QSqlQuery &query, const QString &table, const QString &computer, qint64 first,
                  qint64 last, QSet<qint64> *known, QString *reason)
{
    query.prepare(
        QStringLiteral("SELECT seq FROM %1 WHERE computer = ? AND seq BETWEEN ? AND ?").arg(table));
    query.addBindValue(computer);
    query.addBindValue(first);
    query.addBindValue(last);
    if (!query.exec())
        return failed(query, reason);
    while (query.next())
        known->insert(query.value(0).toLongLong());
    query.finish();
    return true;
}

// Counter settings read from logs, by a statement prepared once for all of them.
class SettingInsert
{
public:
    SettingInsert(QSqlDatabase db, PairNumbers &pairs)
        : m_pairs(pairs)
        , m_statement(db, QStringLiteral("INSERT INTO counter_settings (computer, seq, at_ms,"
                                         " dictionary, pair, offers1, offers2, errors1, errors2,"
                                         " context, entering) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
                                         " ?)"))
    {}

    bool insert(const QString &computer, const LoggedSetting &logged, const QString &dictionary,
                QString *reason)
    {
        if (!m_statement.isValid()) {
            *reason = m_statement.error();
            return false;
        }
        const CounterSetting &setting = logged.setting;
        const std::optional<qint64> pair = m_pairs.numberOf(setting.pair, reason);
        if (!pair)
            return false;
        m_statement.bind(1, computer);
        m_statement.bind(2, logged.seq);
        m_statement.bind(3, setting.atMs);
        m_statement.bind(4, dictionary);
        m_statement.bind(5, *pair);
        for (int i = 0; i < 4; ++i)
            m_statement.bind(6 + i, qint64(setting.counters[std::size_t(i)]));
        const QByteArray context = EncodedRecordSet(setting.context);
        m_statement.bindUtf8(10, context);
        m_statement.bind(11, qint64(setting.entering ? 1 : 0));
        if (m_statement.run())
            return true;
        *reason = m_statement.error();
        return false;
    }

private:
    PairNumbers &m_pairs;
    SqliteStatement m_statement;
};

} // namespace

std::optional<LogProgress> ReadLogProgress(QSqlDatabase db, const QString &computer,
                                           QString *reason)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT offset, last_seq FROM logs WHERE computer = ?"));
    query.addBindValue(computer);
    if (!query.exec()) {
        failed(query, reason);
        return std::nullopt;
    }
    if (!query.next())
        return LogProgress{};
    return LogProgress{query.value(0).toLongLong(), query.value(1).toLongLong()};
}

std::optional<QList<LogRead>> ReadLogsOn(QSqlDatabase db, const QStringList &paths, QString *reason,
                                         qsizetype maxAnswers)
{
    QList<LogToRead> toRead;
    for (const QString &path : paths) {
        const auto progress = ReadLogProgress(db, QFileInfo(path).completeBaseName(), reason);
        if (!progress)
            return std::nullopt;
        toRead.append({path, progress->offset, progress->lastSeq});
    }
    const qsizetype each
        = std::max<qsizetype>(1, maxAnswers / std::max<qsizetype>(1, paths.size()));
    QList<AnswerLogPart> parts = ReadAnswerLogFiles(toRead, each);
    QList<LogRead> logs;
    for (qsizetype i = 0; i < paths.size(); ++i)
        logs.append({QFileInfo(paths.at(i)).completeBaseName(), std::move(parts[i])});
    return logs;
}

std::optional<int> ImportLogs(QSqlDatabase db, const QList<LogRead> &logs,
                              const std::function<QString(const QString &)> &localDictionary,
                              const MemoryModel &model, QString *reason)
{
    QHash<CardKey, QList<FreshAnswer>> touched;
    int added = 0;
    qsizetype arriving = 0;
    for (const LogRead &log : logs)
        arriving += log.part.answers.size();
    const bool done = InWriteTransaction(db, reason, [&] {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        const std::optional<bool> bulk = TakenInBulk(query, arriving, reason);
        if (!bulk || (*bulk && !DropAnswerIndexes(query, reason)))
            return false;
        PairNumbers pairs(db);
        AnswerInsert insert(db, pairs);
        SettingInsert settings(db, pairs);
        // The dictionaries as named here, each worked out once.
        QHash<QString, QString> dictionaries;
        const auto local = [&](const QString &logged) -> const QString & {
            auto found = dictionaries.find(logged);
            if (found == dictionaries.end())
                found = dictionaries.insert(logged, localDictionary(logged));
            return *found;
        };
        for (const LogRead &log : logs) {
            QSet<qint64> known;
            const auto &answers = log.part.answers;
            if (!answers.isEmpty()
                && !knownNumbers(query, QStringLiteral("answers"), log.computer,
                                 answers.first().seq, answers.last().seq, &known, reason))
                return false;
            for (const LoggedAnswer &logged : answers) {
                if (known.contains(logged.seq))
                    continue;
                known.insert(logged.seq);
                const AnswerRecord &answer = logged.answer;
                if (!insert.insert(answer, local(answer.dictionary), QString(), true, log.computer,
                                   logged.seq, reason))
                    return false;
                ++added;
                touched[answer.card].append({answer.atMs, log.computer, logged.seq, answer.grade});
            }
            const auto &logged = log.part.settings;
            if (!logged.isEmpty()
                && !knownNumbers(query, QStringLiteral("counter_settings"), log.computer,
                                 logged.first().seq, logged.last().seq, &known, reason))
                return false;
            for (const LoggedSetting &setting : logged) {
                if (known.contains(setting.seq))
                    continue;
                known.insert(setting.seq);
                if (!settings.insert(log.computer, setting, local(setting.setting.dictionary),
                                     reason))
                    return false;
                ++added;
            }
            query.prepare(QStringLiteral("INSERT OR REPLACE INTO logs (computer, offset,"
                                         " last_seq) VALUES (?, ?, ?)"));
            query.addBindValue(log.computer);
            query.addBindValue(log.part.endOffset);
            query.addBindValue(log.part.lastSeq);
            if (!query.exec())
                return failed(query, reason);
        }
        if (*bulk && !MakeAnswerIndexes(query, reason))
            return false;
        return UpdateCards(db, pairs, touched, model, reason);
    });
    return done ? std::optional(added) : std::nullopt;
}

namespace {

// This computer's records that have no number yet, in the order they were made.
struct Unnumbered
{
    struct Setting
    {
        qint64 id;
        qint64 afterAnswer;
        QByteArray context;
    };
    QList<qint64> answers; // ids
    QList<Setting> settings;
};

bool readUnnumbered(QSqlDatabase db, Unnumbered &unnumbered, QString *reason)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT id FROM answers WHERE seq IS NULL ORDER BY id")))
        return failed(query, reason);
    while (query.next())
        unnumbered.answers.append(query.value(0).toLongLong());
    query.finish();
    if (!query.exec(QStringLiteral("SELECT id, after_answer, context FROM counter_settings"
                                   " WHERE seq IS NULL ORDER BY id")))
        return failed(query, reason);
    while (query.next())
        unnumbered.settings.append({query.value(0).toLongLong(), query.value(1).toLongLong(),
                                    query.value(2).toByteArray()});
    return true;
}

// Numbers this computer's records that have none, in the order they were made: a setting
// after the answers given before it.
bool numberOwnRecords(QSqlDatabase db, const QString &computer, qint64 lastInLog, QString *reason)
{
    return InWriteTransaction(db, reason, [&] {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        // "seq IS NOT NULL" lets the partial indexes of numbered records answer.
        query.prepare(QStringLiteral("SELECT max(coalesce((SELECT max(seq) FROM answers WHERE"
                                     " computer = ? AND seq IS NOT NULL), 0), coalesce((SELECT"
                                     " max(seq) FROM counter_settings WHERE computer = ? AND"
                                     " seq IS NOT NULL), 0))"));
        query.addBindValue(computer);
        query.addBindValue(computer);
        if (!query.exec() || !query.next())
            return failed(query, reason);
        qint64 next = std::max(query.value(0).toLongLong(), lastInLog) + 1;
        query.finish();
        Unnumbered unnumbered;
        if (!readUnnumbered(db, unnumbered, reason))
            return false;
        const QList<qint64> &answers = unnumbered.answers;
        if (answers.isEmpty() && unnumbered.settings.isEmpty())
            return true;
        QSqlQuery numberAnswer(db);
        numberAnswer.prepare(
            QStringLiteral("UPDATE answers SET computer = ?, seq = ? WHERE id = ?"));
        QSqlQuery numberSetting(db);
        numberSetting.prepare(QStringLiteral("UPDATE counter_settings SET computer = ?, seq = ?,"
                                             " context = ? WHERE id = ?"));
        auto answer = answers.cbegin();
        const auto numberAnswersUpTo = [&](qint64 lastId) {
            for (; answer != answers.cend() && *answer <= lastId; ++answer) {
                numberAnswer.addBindValue(computer);
                numberAnswer.addBindValue(next++);
                numberAnswer.addBindValue(*answer);
                if (!numberAnswer.exec())
                    return failed(numberAnswer, reason);
            }
            return true;
        };
        for (const Unnumbered::Setting &setting : unnumbered.settings) {
            if (!numberAnswersUpTo(setting.afterAnswer))
                return false;
            // It knew of every record of this computer made before it.
            RecordSet context = DecodedRecordSet(setting.context).value_or(RecordSet());
            if (next > 1)
                context[computer].insert(1, next - 1);
            numberSetting.addBindValue(computer);
            numberSetting.addBindValue(next++);
            numberSetting.addBindValue(SqlText(QString::fromUtf8(EncodedRecordSet(context))));
            numberSetting.addBindValue(setting.id);
            if (!numberSetting.exec())
                return failed(numberSetting, reason);
        }
        return numberAnswersUpTo(std::numeric_limits<qint64>::max());
    });
}

} // namespace

std::optional<OwnRecords>
OwnRecordsForLog(QSqlDatabase db, const QString &computer, qint64 lastInLog,
                 const std::function<QString(const QString &)> &loggedDictionary, QString *reason)
{
    if (!numberOwnRecords(db, computer, lastInLog, reason))
        return std::nullopt;
    OwnRecords records;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // This computer's records of a kind after the log's last.
    const auto readAfterLog = [&](const QString &statement) {
        query.prepare(statement);
        query.addBindValue(computer);
        query.addBindValue(lastInLog);
        return query.exec() || failed(query, reason);
    };
    if (!readAfterLog(QStringLiteral("SELECT seq, at_ms, side1, comment1, side2, comment2,"
                                     " direction, grade, typed, duration_ms, dictionary FROM"
                                     " reviews WHERE computer = ? AND seq > ? ORDER BY seq")))
        return std::nullopt;
    while (query.next()) {
        AnswerRecord answer;
        answer.atMs = query.value(1).toLongLong();
        answer.card = CardKeyAt(query, 2);
        answer.grade = Grade(query.value(7).toInt());
        answer.typed = query.value(8).toString();
        answer.durationMs = query.value(9).toLongLong();
        answer.dictionary = loggedDictionary(query.value(10).toString());
        records.answers.append({query.value(0).toLongLong(), answer});
    }
    if (!readAfterLog(QStringLiteral("SELECT s.seq, s.at_ms, p.side1, p.comment1, p.side2,"
                                     " p.comment2, s.offers1, s.offers2, s.errors1, s.errors2,"
                                     " s.dictionary, s.context, s.entering FROM counter_settings s"
                                     " JOIN pairs p ON p.id = s.pair WHERE s.computer = ? AND"
                                     " s.seq > ? ORDER BY s.seq")))
        return std::nullopt;
    while (query.next()) {
        CounterSetting setting;
        setting.atMs = query.value(1).toLongLong();
        setting.pair = {query.value(2).toString(), query.value(3).toString(),
                        query.value(4).toString(), query.value(5).toString()};
        for (int i = 0; i < 4; ++i)
            setting.counters[std::size_t(i)] = query.value(6 + i).toInt();
        setting.dictionary = loggedDictionary(query.value(10).toString());
        setting.context = DecodedRecordSet(query.value(11).toByteArray()).value_or(RecordSet());
        setting.entering = query.value(12).toBool();
        records.settings.append({query.value(0).toLongLong(), setting});
    }
    return records;
}

QString SyncFolderProblem(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return Texts::tr("Složka %1 neexistuje.").arg(folder);
    const SyncPlace place{folder, QString()};
    errno = 0;
    if (!QDir().mkpath(place.logFolder()))
        return Texts::tr("Ve složce %1 nelze založit složku pro odpovědi (%2): %3")
            .arg(folder, place.logFolder(), FileErrorReason(errno, QString()));
    return QString();
}

QString SyncPlace::logFolder() const
{
    return QDir(folder).filePath(QStringLiteral("merko/odpovedi"));
}

QString SyncPlace::ownLog() const
{
    return QDir(logFolder()).filePath(computer + QStringLiteral(".log"));
}

QString SyncPlace::loggedDictionary(const QString &path) const
{
    return IsInFolder(path, folder) ? QDir(folder).relativeFilePath(path) : path;
}

QString SyncPlace::localDictionary(const QString &logged) const
{
    return QDir::isAbsolutePath(logged) ? logged : QDir(folder).filePath(logged);
}

namespace {

// Writes this computer's records that its log lacks into it; false when the history could not
// be read.
bool writeOwnLog(QSqlDatabase db, const SyncPlace &place, QStringList &troubles)
{
    QString reason;
    AnswerLogWriter writer(place.ownLog(), place.computer);
    const auto own = OwnRecordsForLog(
        db, place.computer, writer.lastSeq(),
        [&place](const QString &path) { return place.loggedDictionary(path); }, &reason);
    if (!own)
        troubles.append(Texts::tr("Historii odpovědí nelze číst: %1").arg(reason));
    else if (!writer.append(own->answers, own->settings, &reason))
        troubles.append(Texts::tr("Do souboru %1 nelze zapsat: %2").arg(place.ownLog(), reason));
    return own.has_value();
}

// What the logs of the folder held that was not read, told once for all rounds.
void tellUnread(const QStringList &paths, const QList<AnswerLogPart> &unread, QStringList &troubles)
{
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const QString &path = paths.at(i);
        if (unread.at(i).laterFormat)
            troubles.append(Texts::tr("Soubor %1 zapsala novější verze programu; jeho odpovědi "
                                      "se nečtou.")
                                .arg(path));
        else if (unread.at(i).notALog)
            troubles.append(Texts::tr("Soubor %1 není záznamem odpovědí; nečte se.").arg(path));
        else if (unread.at(i).damaged > 0)
            troubles.append(Texts::tr("V souboru %1 je poškozených záznamů: %2; ostatní se čtou.")
                                .arg(path)
                                .arg(unread.at(i).damaged));
    }
}

} // namespace

SyncRound SyncWithFolder(QSqlDatabase db, const SyncPlace &place, const MemoryModel &model,
                         qsizetype answersAtOnce)
{
    SyncRound round;
    // The log folder is made when the folder is named. Without it the folder is not there (a
    // disk not mounted leaves an empty folder in its place): nothing is written into it.
    if (!QFileInfo(place.logFolder()).isDir()) {
        round.troubles.append(
            Texts::tr("Synchronizovaná složka %1 teď není dostupná (chybí v ní složka %2). "
                      "Program procvičuje s historií tohoto počítače a odpovědi vymění, až "
                      "bude složka zpět. Je-li složka nová, zvolte ji v okně Volby "
                      "tlačítkem Synchronizace...")
                .arg(place.folder, place.logFolder()));
        return round;
    }
    round.reached = writeOwnLog(db, place, round.troubles);

    QStringList paths;
    for (const QFileInfo &log :
         QDir(place.logFolder()).entryInfoList({QStringLiteral("*.log")}, QDir::Files)) {
        paths.append(log.filePath());
        if (log.completeBaseName() != place.computer)
            ++round.computers;
    }
    // A huge log is read and taken in rounds, each remembered, so that neither the memory nor
    // the time the history is locked grows with it.
    QList<AnswerLogPart> unread(paths.size());
    QString reason;
    for (bool more = true; more;) {
        std::optional<QList<LogRead>> logs = ReadLogsOn(db, paths, &reason, answersAtOnce);
        if (!logs) {
            round.troubles.append(Texts::tr("Historii odpovědí nelze číst: %1").arg(reason));
            return round;
        }
        more = false;
        for (qsizetype i = 0; i < paths.size(); ++i) {
            const AnswerLogPart &part = logs->at(i).part;
            unread[i].laterFormat = part.laterFormat;
            unread[i].notALog = part.notALog;
            unread[i].damaged += part.damaged;
            more = more || part.more;
        }
        const auto taken = ImportLogs(
            db, *logs, [&place](const QString &logged) { return place.localDictionary(logged); },
            model, &reason);
        if (!taken) {
            tellUnread(paths, unread, round.troubles);
            round.troubles.append(
                Texts::tr("Odpovědi z ostatních počítačů nelze uložit: %1").arg(reason));
            return round;
        }
        round.taken += *taken;
    }
    tellUnread(paths, unread, round.troubles);
    return round;
}
