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

} // namespace

QStringList BuildOfferReport(const Vocabulary &vocabulary)
{
    qint64 total = 0;
    for (const VocabularyEntry &entry : vocabulary.Entries)
        total += qint64(entry.Offers[1]) + entry.Offers[2];
    if (total == 0)
        total = 1;

    QStringList lines;
    lines.reserve(2 * vocabulary.Count() + 2);
    lines.append(nameColumn(QStringLiteral("slovo:")) + QLatin1String("nab.:  [ %%%% ]"));
    lines.append(QString(40, QLatin1Char('=')));
    for (const VocabularyEntry &entry : vocabulary.Entries) {
        for (int s = 1; s <= 2; ++s) {
            lines.append(nameColumn(entry.Side[s]) + PadNumber(entry.Offers[s], counterWidth)
                         + percentage(double(entry.Offers[s]) * 100.0 / double(total)));
        }
    }
    return lines;
}

QStringList BuildErrorReport(const Vocabulary &vocabulary)
{
    QStringList lines;
    lines.reserve(2 * vocabulary.Count() + 2);
    lines.append(nameColumn(QStringLiteral("slovo:")) + QLatin1String("nab.:  chyb:  [ %%%% ]"));
    lines.append(QString(46, QLatin1Char('=')));
    for (const VocabularyEntry &entry : vocabulary.Entries) {
        for (int s = 1; s <= 2; ++s) {
            const double rate = entry.Offers[s] != 0
                                    ? double(entry.Errors[s]) * 100.0 / double(entry.Offers[s])
                                    : 0.0;
            lines.append(nameColumn(entry.Side[s]) + PadNumber(entry.Offers[s], counterWidth)
                         + PadNumber(entry.Errors[s], counterWidth) + percentage(rate));
        }
    }
    return lines;
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
