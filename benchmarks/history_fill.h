#pragma once

#include "history/review_history.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <random>

// "Now" for the benchmarks of the history: a day in 2024.
inline constexpr qint64 HistoryFillNow = 19800 * MsPerDay;

inline PairText PairNumber(int i)
{
    return {QStringLiteral("slovo %1").arg(i), QString(), QStringLiteral("Wort %1").arg(i),
            QString()};
}

// A history of `reviews` answers on `pairs` pairs (both directions) over the last 400 days,
// recorded with `dictionary`, and their cards, written straight into the tables in one
// transaction, as years of drilling would leave it.
inline void FillHistory(const QString &path, int pairs, int reviews,
                        const QString &dictionary = QStringLiteral("/home/u/lekce.slv"))
{
    ReviewHistory(path).ensureOpen(); // the schema
    {
        QSqlDatabase db
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        query.exec(QStringLiteral("BEGIN"));
        // Pair i is numbered i + 1.
        query.prepare(QStringLiteral("INSERT INTO pairs (id, side1, comment1, side2, comment2) "
                                     "VALUES (?, ?, '', ?, '')"));
        for (int i = 0; i < pairs; ++i) {
            const PairText pair = PairNumber(i);
            query.addBindValue(i + 1);
            query.addBindValue(pair.side1);
            query.addBindValue(pair.side2);
            query.exec();
        }
        query.prepare(QStringLiteral("INSERT INTO answers (at_ms, pair, direction, grade, typed, "
                                     "duration_ms, dictionary, session, settled) VALUES (?, ?, ?, "
                                     "?, 'odpoved', 2400, ?, 'run', 1)"));
        std::mt19937 random(7);
        const qint64 spread = 400 * MsPerDay / reviews;
        for (int i = 0; i < reviews; ++i) {
            query.addBindValue(HistoryFillNow - qint64(reviews - i) * spread);
            query.addBindValue(int(random() % unsigned(pairs)) + 1);
            query.addBindValue(int(random() % 2) + 1);
            query.addBindValue(int(random() % 3) + 1);
            query.addBindValue(dictionary);
            query.exec();
        }
        query.prepare(
            QStringLiteral("INSERT INTO card_states VALUES (?, ?, ?, 5, ?, ?, 0, 10, 1)"));
        for (int i = 0; i < pairs; ++i) {
            for (int side = 1; side <= 2; ++side) {
                const double stability = 1 + int(random() % 100);
                const qint64 last = HistoryFillNow - qint64(random() % 100) * MsPerDay;
                for (const QVariant &value :
                     {QVariant(i + 1), QVariant(side), QVariant(stability), QVariant(last),
                      QVariant(last + qint64(stability) * MsPerDay)})
                    query.addBindValue(value);
                query.exec();
            }
        }
        query.exec(QStringLiteral("COMMIT"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}
