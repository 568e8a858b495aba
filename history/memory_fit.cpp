#include "memory_fit.h"

#include "answer_import.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>

#include <atomic>
#include <functional>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(MemoryFit)
};

QString uniqueConnection(const char *purpose)
{
    return QLatin1String(purpose) + QUuid::createUuid().toString(QUuid::Id128);
}

// Runs `work` on a connection of its own to the history, and closes it.
template<typename Work>
void onOwnConnection(const QString &historyPath, const char *purpose, QString *reason, Work work)
{
    const QString name = uniqueConnection(purpose);
    {
        QString why;
        QSqlDatabase db = OpenHistoryConnection(name, historyPath, &why);
        if (db.isOpen())
            work(db);
        else
            *reason = Texts::tr("Historii odpovědí %1 nelze otevřít: %2").arg(historyPath, why);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QString figure(double value)
{
    return QLocale().toString(value, 'f', 3);
}

// Runs `work` on a thread of its own, kept in `thread`; once it has ended, what `work` returned
// runs on `owner`'s thread, the thread gone. The owner waits for the thread as it ends
// (endOwnThread()), so what the thread posts to it finds it.
void startOwnThread(QObject *owner, QThread *&thread, const QString &name,
                    std::function<std::function<void()>()> work)
{
    thread = QThread::create([owner, &thread, work = std::move(work)] {
        const std::function<void()> done = work();
        QMetaObject::invokeMethod(
            owner,
            [&thread, done] {
                thread->wait();
                delete std::exchange(thread, nullptr);
                done();
            },
            Qt::QueuedConnection);
    });
    thread->setObjectName(name);
    thread->start();
}

void endOwnThread(QThread *&thread)
{
    if (thread) {
        thread->wait();
        delete std::exchange(thread, nullptr);
    }
}

} // namespace

std::optional<ReviewSequences> ReadReviewSequences(QSqlDatabase db, QString *reason)
{
    ReviewSequences sequences;
    const bool read = ReadAnswersByCard(
        db,
        [&](const NumberedCard &, const QList<GradedAnswer> &answers) {
            sequences.startCard();
            for (const GradedAnswer &answer : answers)
                sequences.add(answer.atMs, answer.grade);
        },
        reason);
    if (!read)
        return std::nullopt;
    return sequences;
}

std::optional<Optimisation> OptimiseHistory(const QString &historyPath,
                                            const Fsrs::Weights &inForce,
                                            const FsrsFit::Progress &progress, QString *reason)
{
    // Opening a database that is not there would make one.
    if (!QFileInfo(historyPath).isFile()) {
        *reason = Texts::tr("Historie odpovědí %1 neexistuje.").arg(historyPath);
        return std::nullopt;
    }
    std::optional<Optimisation> result;
    onOwnConnection(historyPath, "memory-fit-", reason, [&](QSqlDatabase db) {
        const std::optional<ReviewSequences> sequences = ReadReviewSequences(db, reason);
        if (sequences)
            result = OptimiseWeights(*sequences, inForce, progress);
        else
            *reason = Texts::tr("Historii odpovědí %1 nelze přečíst: %2").arg(historyPath, *reason);
    });
    return result;
}

namespace {

// The weights that the stored cards follow, kept in a table of one row that a history gets
// once its cards are first computed with other weights than the defaults; a history without it
// (older programs write none) follows the defaults.
const QString CardWeightsTable = QStringLiteral("CREATE TABLE IF NOT EXISTS card_weights"
                                                " (id INTEGER PRIMARY KEY CHECK (id = 1),"
                                                " weights TEXT NOT NULL)");

std::optional<QString> cardWeights(QSqlDatabase db, QString *reason)
{
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SELECT weights FROM card_weights WHERE id = 1")))
        return query.next() ? query.value(0).toString() : Fsrs::WeightsText(Fsrs::DefaultWeights);
    if (query.lastError().databaseText().contains(QLatin1String("no such table")))
        return Fsrs::WeightsText(Fsrs::DefaultWeights);
    *reason = SqlFailureReason(query.lastError());
    return std::nullopt;
}

bool replayCards(QSqlDatabase db, const MemoryModel &model, QString *reason)
{
    const QString wanted = Fsrs::WeightsText(model.weights);
    // Read again within the transaction: another copy may have done it meanwhile.
    const std::optional<QString> followed = cardWeights(db, reason);
    if (!followed || *followed == wanted)
        return bool(followed);
    if (!ReplayAllCards(db, model, reason))
        return false;
    QSqlQuery query(db);
    if (query.exec(CardWeightsTable)
        && query.prepare(
            QStringLiteral("INSERT OR REPLACE INTO card_weights (id, weights) VALUES (1, ?)"))) {
        query.addBindValue(wanted);
        if (query.exec())
            return true;
    }
    *reason = SqlFailureReason(query.lastError());
    return false;
}

} // namespace

bool ReplayHistoryCards(const QString &historyPath, const MemoryModel &model, QString *failure,
                        bool *replayed)
{
    bool done = false;
    bool computed = false;
    onOwnConnection(historyPath, "card-replay-", failure, [&](QSqlDatabase db) {
        // Most starts find the cards as they should be, and take no write lock for it.
        const std::optional<QString> followed = cardWeights(db, failure);
        if (followed && *followed == Fsrs::WeightsText(model.weights)) {
            done = true;
        } else if (followed) {
            done = InWriteTransaction(db, failure, [&] { return replayCards(db, model, failure); });
            computed = done;
        }
    });
    if (replayed)
        *replayed = computed;
    return done;
}

QString OptimisationReport(const Optimisation &o)
{
    using Outcome = Optimisation::Outcome;
    if (o.outcome == Outcome::Cancelled)
        return Texts::tr("Optimalizace byla zrušena; platí dosavadní parametry paměti.");
    if (o.outcome == Outcome::TooFewAnswers) {
        return Texts::tr("Na optimalizaci je v historii málo odpovědí: %1 opakování po dni a více "
                         "na %2 kartách; potřeba je aspoň %3 na %4 kartách. Platí dosavadní "
                         "parametry paměti.")
            .arg(o.predicted)
            .arg(o.cards)
            .arg(MinimumPredictedAnswers)
            .arg(MinimumCards);
    }
    QStringList lines;
    lines.append(Texts::tr("Použito %1 odpovědí na %2 kartách.").arg(o.answers).arg(o.cards));
    if (o.heldOut) {
        lines.append(Texts::tr("Porovnáno na poslední pětině odpovědí (%1 opakování), na které "
                               "se nové parametry neučily.")
                         .arg(o.fitted.predicted));
    }
    lines.append(Texts::tr("předpověď vybavení: chyba %1 → %2")
                     .arg(figure(o.inForce.logLoss), figure(o.fitted.logLoss)));
    lines.append(Texts::tr("odchylka předpovědí od skutečnosti (RMSE): %1 → %2")
                     .arg(figure(o.inForce.rmseBins), figure(o.fitted.rmseBins)));
    lines.append(o.outcome == Outcome::Better
                     ? Texts::tr("Nové parametry předpovídají lépe a platí od teď.")
                     : Texts::tr("Nové parametry by nepředpovídaly lépe; platí dosavadní."));
    return lines.join(QLatin1Char('\n'));
}

struct MemoryFitRun::State
{
    std::atomic<bool> cancelled{false};
    std::atomic<int> percent{-1};
};

MemoryFitRun::MemoryFitRun(QObject *parent)
    : QObject(parent)
{}

MemoryFitRun::~MemoryFitRun()
{
    cancel();
    endOwnThread(m_thread);
}

void MemoryFitRun::start(const QString &historyPath, const Fsrs::Weights &inForce)
{
    if (m_thread)
        return;
    m_state = std::make_shared<State>();
    startOwnThread(this, m_thread, QStringLiteral("memory fit"),
                   [this, state = m_state, historyPath, inForce]() -> std::function<void()> {
                       const auto progress = [this, state](double done) {
                           const int percent = int(done * 100);
                           if (state->percent.exchange(percent) != percent) {
                               QMetaObject::invokeMethod(
                                   this, [this, percent] { emit progressed(percent); },
                                   Qt::QueuedConnection);
                           }
                           return !state->cancelled;
                       };
                       QString reason;
                       const std::optional<Optimisation> result
                           = OptimiseHistory(historyPath, inForce, progress, &reason);
                       return [this, result, reason] {
                           emit finished(result, reason);
                       };
                   });
}

void MemoryFitRun::cancel()
{
    if (m_state)
        m_state->cancelled = true;
}

CardReplay::CardReplay(QString historyPath, QObject *parent)
    : QObject(parent)
    , m_historyPath(std::move(historyPath))
{}

CardReplay::~CardReplay()
{
    endOwnThread(m_thread);
}

void CardReplay::apply(const MemoryModel &model)
{
    m_next = model;
    if (!m_thread)
        startNext();
}

void CardReplay::startNext()
{
    if (!m_next)
        return;
    const MemoryModel model = *std::exchange(m_next, std::nullopt);
    startOwnThread(this, m_thread, QStringLiteral("card replay"),
                   [this, model]() -> std::function<void()> {
                       QString failure;
                       bool replayed = false;
                       ReplayHistoryCards(m_historyPath, model, &failure, &replayed);
                       return [this, replayed, failure] {
                           emit finished(replayed, failure);
                           startNext();
                       };
                   });
}
