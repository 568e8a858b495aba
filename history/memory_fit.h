#pragma once

#include "fsrs_optimiser.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QSqlDatabase;

// The memory model fitted to the answers of the history, for the settings window and the
// command line alike, and the cards computed again once the weights in force change.

// Every card's answers (a pair in one direction) as the fit reads them; none, with the reason,
// when the history cannot be read.
std::optional<ReviewSequences> ReadReviewSequences(QSqlDatabase db, QString *reason);

// The optimisation of the history at `historyPath`, on a connection of its own (any thread);
// none, with the reason, when the history cannot be read.
std::optional<Optimisation> OptimiseHistory(const QString &historyPath,
                                            const Fsrs::Weights &inForce,
                                            const FsrsFit::Progress &progress, QString *reason);

// What came of it, in plain words: the answers used, the two figures before and after, and
// whether the new weights are kept.
QString OptimisationReport(const Optimisation &optimisation);

// Brings every card of the history at `historyPath` to the model's weights, on a connection of
// its own (any thread): the cards are computed again from their answers when they follow other
// weights (the history notes which they follow, the defaults until then). False, with the
// reason, on failure (nothing changed). `replayed`, if given, says whether any card was
// computed again: most starts find them following the model already.
bool ReplayHistoryCards(const QString &historyPath, const MemoryModel &model, QString *failure,
                        bool *replayed = nullptr);

// Runs OptimiseHistory() on a thread of its own.
class MemoryFitRun : public QObject
{
    Q_OBJECT
public:
    explicit MemoryFitRun(QObject *parent = nullptr);
    // Cancels a run that has not ended and waits for its thread.
    ~MemoryFitRun() override;

    void start(const QString &historyPath, const Fsrs::Weights &inForce);
    void cancel();

signals:
    // The share done, in percent.
    void progressed(int percent);
    // The result, or none with the reason why the history could not be read.
    void finished(const std::optional<Optimisation> &result, const QString &failure);

private:
    struct State;
    std::shared_ptr<State> m_state;
    class QThread *m_thread = nullptr;
};

// Brings every card's memory to the model in force (ReplayHistoryCards()) on a thread of its
// own, so that the drill goes on meanwhile (its answers wait for the lock as for any other
// writer). A model set while one is being applied is applied after it.
class CardReplay : public QObject
{
    Q_OBJECT
public:
    explicit CardReplay(QString historyPath, QObject *parent = nullptr);
    ~CardReplay() override;

    void apply(const MemoryModel &model);

signals:
    // Every card follows the model, computed again or not (`replayed`); or `failure` says why
    // not.
    void finished(bool replayed, const QString &failure);

private:
    void startNext();

    QString m_historyPath;
    std::optional<MemoryModel> m_next;
    class QThread *m_thread = nullptr;
};
