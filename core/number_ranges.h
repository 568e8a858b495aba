#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// A set of positive whole numbers kept as runs of consecutive ones: the records of one computer's
// log (by their numbers) that another record knew of.
class NumberRanges
{
public:
    struct Run
    {
        qint64 first = 0;
        qint64 last = 0;
        friend bool operator==(const Run &, const Run &) = default;
    };

    NumberRanges() = default;
    // The numbers `first` to `last`; none when `last` is below `first`.
    static NumberRanges span(qint64 first, qint64 last);

    void insert(qint64 first, qint64 last);
    void insert(qint64 number) { insert(number, number); }
    void unite(const NumberRanges &other);
    // The numbers of this set that `other` does not hold.
    NumberRanges minus(const NumberRanges &other) const;
    bool contains(qint64 number) const;
    bool isEmpty() const { return m_runs.isEmpty(); }
    const QList<Run> &runs() const { return m_runs; }

    // "1-5+8+10-12": the runs in order, a run of one number as that number.
    QByteArray encoded() const;
    // None for text that is not such a list (runs out of order, touching or overlapping,
    // numbers below 1); an empty text is the empty set.
    static std::optional<NumberRanges> decoded(QByteArrayView text);

    friend bool operator==(const NumberRanges &, const NumberRanges &) = default;

private:
    QList<Run> m_runs; // in order, apart: a gap between any two
};

// Records of several computers' logs: for each computer, the numbers of its records.
using RecordSet = QHash<QString, NumberRanges>;
// "<computer>:<runs>,<computer>:<runs>", by computer; none for text that is no such list.
QByteArray EncodedRecordSet(const RecordSet &records);
std::optional<RecordSet> DecodedRecordSet(QByteArrayView text);
// Whether the set holds the record `seq` of `computer`.
bool HoldsRecord(const RecordSet &records, const QString &computer, qint64 seq);
