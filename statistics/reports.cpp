#include "reports.h"

#include "core/helpers.h"
#include "core/text_file.h"
#include "vocabulary/vocabulary_file.h"

#include <QCoreApplication>
#include <QDir>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Reports)
};

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
QStringList buildReport(const Vocabulary &vocabulary, const QString &heading, int ruleWidth,
                        SideLine sideLine)
{
    QStringList lines;
    lines.reserve(2 * vocabulary.count() + 2);
    lines.append(nameColumn(Texts::tr("slovo:")) + heading);
    lines.append(QString(ruleWidth, QLatin1Char('=')));
    for (const VocabularyEntry &entry : vocabulary.entries) {
        for (int s = 1; s <= 2; ++s)
            lines.append(nameColumn(entry.side[s]) + sideLine(entry, s));
    }
    return lines;
}

} // namespace

QStringList BuildOfferReport(const Vocabulary &vocabulary)
{
    qint64 total = 0;
    for (const VocabularyEntry &entry : vocabulary.entries)
        total += qint64(entry.offers[1]) + entry.offers[2];
    if (total == 0)
        total = 1;
    return buildReport(vocabulary, Texts::tr("nab.:  [ %%%% ]"), 40,
                       [total](const VocabularyEntry &entry, int s) {
                           return PadNumber(entry.offers[s], counterWidth)
                                  + percentage(double(entry.offers[s]) * 100.0 / double(total));
                       });
}

QStringList BuildErrorReport(const Vocabulary &vocabulary)
{
    return buildReport(vocabulary, Texts::tr("nab.:  chyb:  [ %%%% ]"), 46,
                       [](const VocabularyEntry &entry, int s) {
                           const double rate
                               = entry.offers[s] != 0
                                     ? double(entry.errors[s]) * 100.0 / double(entry.offers[s])
                                     : 0.0;
                           return PadNumber(entry.offers[s], counterWidth)
                                  + PadNumber(entry.errors[s], counterWidth) + percentage(rate);
                       });
}

void ResetOffers(Vocabulary &vocabulary)
{
    for (VocabularyEntry &entry : vocabulary.entries)
        entry.offers[1] = entry.offers[2] = 0;
}

void ResetErrors(Vocabulary &vocabulary)
{
    for (VocabularyEntry &entry : vocabulary.entries)
        entry.errors[1] = entry.errors[2] = 0;
}

void ResetAllStatistics(Vocabulary &vocabulary)
{
    ResetOffers(vocabulary);
    ResetErrors(vocabulary);
}

QString ReportFilePath(const QString &dataDirectory)
{
    return QDir(dataDirectory).filePath(QLatin1String(ReportFileName));
}

void WriteReportFile(const QString &dataDirectory, const QStringList &lines)
{
    WriteFileSafely(ReportFilePath(dataDirectory), JoinLines(lines));
}

QString ReadReportFile(const QString &dataDirectory)
{
    return ReadTextFileLines(ReportFilePath(dataDirectory)).join(QLatin1Char('\n'));
}

QString OfferReportTitle()
{
    return Texts::tr("Četnost výběru slov: ");
}

QString ErrorReportTitle()
{
    return Texts::tr("Četnost chybovosti slov: ");
}
