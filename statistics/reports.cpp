#include "reports.h"

#include "app/helpers.h"
#include "vocabulary/vocabulary_file.h"

namespace {

constexpr int nameWidth = 25;
constexpr int counterWidth = 6;

QString nameColumn(const QString &side)
{
    return PadRight(side, nameWidth);
}

QString percentage(double value)
{
    return QLatin1String(" [") + FormatFixed(value) + QLatin1Char(']');
}

// A heading, a rule, then one line for each side of each pair in dictionary order.
template<typename SideLine>
QStringList buildReport(const Vocabulary &vocabulary, QLatin1String heading, int ruleWidth,
                        SideLine sideLine)
{
    QStringList lines;
    lines.reserve(2 * vocabulary.Count() + 2);
    lines.append(nameColumn(QStringLiteral("slovo:")) + heading);
    lines.append(QString(ruleWidth, QLatin1Char('=')));
    for (const VocabularyEntry &entry : vocabulary.Entries) {
        for (int s = 1; s <= 2; ++s)
            lines.append(nameColumn(entry.Side[s]) + sideLine(entry, s));
    }
    return lines;
}

} // namespace

QStringList BuildOfferReport(const Vocabulary &vocabulary)
{
    qint64 total = 0;
    for (const VocabularyEntry &entry : vocabulary.Entries)
        total += qint64(entry.Offers[1]) + entry.Offers[2];
    if (total == 0)
        total = 1;
    return buildReport(vocabulary, QLatin1String("nab.:  [ %%%% ]"), 40,
                       [total](const VocabularyEntry &entry, int s) {
                           return PadNumber(entry.Offers[s], counterWidth)
                                  + percentage(double(entry.Offers[s]) * 100.0 / double(total));
                       });
}

QStringList BuildErrorReport(const Vocabulary &vocabulary)
{
    return buildReport(vocabulary, QLatin1String("nab.:  chyb:  [ %%%% ]"), 46,
                       [](const VocabularyEntry &entry, int s) {
                           const double rate
                               = entry.Offers[s] != 0
                                     ? double(entry.Errors[s]) * 100.0 / double(entry.Offers[s])
                                     : 0.0;
                           return PadNumber(entry.Offers[s], counterWidth)
                                  + PadNumber(entry.Errors[s], counterWidth) + percentage(rate);
                       });
}

void ResetOffers(Vocabulary &vocabulary)
{
    for (VocabularyEntry &entry : vocabulary.Entries)
        entry.Offers[1] = entry.Offers[2] = 0;
}

void ResetErrors(Vocabulary &vocabulary)
{
    for (VocabularyEntry &entry : vocabulary.Entries)
        entry.Errors[1] = entry.Errors[2] = 0;
}

void ResetAllStatistics(Vocabulary &vocabulary)
{
    ResetOffers(vocabulary);
    ResetErrors(vocabulary);
}
