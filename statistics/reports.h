#pragma once

#include "vocabulary/vocabulary.h"

#include <QStringList>

QString OfferReportTitle();
QString ErrorReportTitle();
inline constexpr char ReportFileName[] = "Work.tmp";

// Each side's share of all offers, two lines per pair in dictionary order.
QStringList BuildOfferReport(const Vocabulary &vocabulary);
// Each side's offers, wrong answers and error rate, two lines per pair.
QStringList BuildErrorReport(const Vocabulary &vocabulary);

// The report file "Work.tmp" in the folder of the program's data.
QString ReportFilePath(const QString &dataDirectory);
// Overwrites the report file with the report's lines; throws FileError.
void WriteReportFile(const QString &dataDirectory, const QStringList &lines);
// The report file's text as it is now (written, or changed since); throws FileError.
QString ReadReportFile(const QString &dataDirectory);

void ResetOffers(Vocabulary &vocabulary);
void ResetErrors(Vocabulary &vocabulary);
void ResetAllStatistics(Vocabulary &vocabulary);
