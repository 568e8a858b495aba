#include "number_ranges.h"

#include <QStringList>

#include <algorithm>

NumberRanges NumberRanges::span(qint64 first, qint64 last)
{
    NumberRanges ranges;
    ranges.insert(first, last);
    return ranges;
}

void NumberRanges::insert(qint64 first, qint64 last)
{
    first = std::max<qint64>(first, 1);
    if (last < first)
        return;
    // The runs that touch or overlap the new one are joined with it.
    auto begin
        = std::lower_bound(m_runs.begin(), m_runs.end(), first,
                           [](const Run &run, qint64 number) { return run.last + 1 < number; });
    auto end = begin;
    while (end != m_runs.end() && end->first <= last + 1) {
        first = std::min(first, end->first);
        last = std::max(last, end->last);
        ++end;
    }
    const qsizetype at = begin - m_runs.begin();
    m_runs.erase(begin, end);
    m_runs.insert(at, {first, last});
}

void NumberRanges::unite(const NumberRanges &other)
{
    for (const Run &run : other.m_runs)
        insert(run.first, run.last);
}

NumberRanges NumberRanges::minus(const NumberRanges &other) const
{
    NumberRanges rest;
    auto cut = other.m_runs.cbegin();
    for (const Run &run : m_runs) {
        qint64 from = run.first;
        while (cut != other.m_runs.cend() && cut->last < from)
            ++cut;
        for (auto next = cut; next != other.m_runs.cend() && next->first <= run.last; ++next) {
            if (next->first > from)
                rest.m_runs.append({from, next->first - 1});
            from = std::max(from, next->last + 1);
        }
        if (from <= run.last)
            rest.m_runs.append({from, run.last});
    }
    return rest;
}

bool NumberRanges::contains(qint64 number) const
{
    const auto run = std::lower_bound(m_runs.cbegin(), m_runs.cend(), number,
                                      [](const Run &run, qint64 n) { return run.last < n; });
    return run != m_runs.cend() && run->first <= number;
}

QByteArray NumberRanges::encoded() const
{
    QByteArray text;
    for (const Run &run : m_runs) {
        if (!text.isEmpty())
            text += '+';
        text += QByteArray::number(run.first);
        if (run.last != run.first)
            text += '-' + QByteArray::number(run.last);
    }
    return text;
}

std::optional<NumberRanges> NumberRanges::decoded(QByteArrayView text)
{
    NumberRanges ranges;
    if (text.isEmpty())
        return ranges;
    const auto number = [](QByteArrayView digits) -> std::optional<qint64> {
        bool ok = false;
        const qint64 value = digits.toLongLong(&ok);
        if (!ok || value < 1)
            return std::nullopt;
        return value;
    };
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf('+', start);
        if (end < 0)
            end = text.size();
        const QByteArrayView item = text.sliced(start, end - start);
        const qsizetype dash = item.indexOf('-');
        const auto first = number(dash < 0 ? item : item.first(dash));
        const auto last = dash < 0 ? first : number(item.sliced(dash + 1));
        if (!first || !last || *last < *first
            || (!ranges.m_runs.isEmpty() && ranges.m_runs.last().last + 1 >= *first))
            return std::nullopt;
        ranges.m_runs.append({*first, *last});
        start = end + 1;
    }
    return ranges;
}

QByteArray EncodedRecordSet(const RecordSet &records)
{
    QStringList computers = records.keys();
    computers.sort();
    QByteArray text;
    for (const QString &computer : computers) {
        const NumberRanges &numbers = records.value(computer);
        if (numbers.isEmpty())
            continue;
        if (!text.isEmpty())
            text += ',';
        text += computer.toUtf8() + ':' + numbers.encoded();
    }
    return text;
}

std::optional<RecordSet> DecodedRecordSet(QByteArrayView text)
{
    RecordSet records;
    if (text.isEmpty())
        return records;
    for (const QByteArray &item : text.toByteArray().split(',')) {
        const qsizetype colon = item.lastIndexOf(':');
        if (colon <= 0)
            return std::nullopt;
        const auto numbers = NumberRanges::decoded(QByteArrayView(item).sliced(colon + 1));
        if (!numbers)
            return std::nullopt;
        if (!numbers->isEmpty())
            records.insert(QString::fromUtf8(item.first(colon)), *numbers);
    }
    return records;
}

bool HoldsRecord(const RecordSet &records, const QString &computer, qint64 seq)
{
    const auto found = records.constFind(computer);
    return found != records.cend() && found->contains(seq);
}
