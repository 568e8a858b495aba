#pragma once

#include "vocabulary/vocabulary.h"

#include <QStringList>

inline const QString OfferReportTitle = QStringLiteral("Četnost výběru slov: ");
inline const QString ErrorReportTitle = QStringLiteral("Četnost chybovosti slov: ");
inline constexpr char ReportFileName[] = "Work.tmp";

// Each side's share of all offers, two lines per pair in dictionary order.
QStringList BuildOfferReport(const Vocabulary &vocabulary);
// Each side's offers, wrong answers and error rate, two lines per pair.
QStringList BuildErrorReport(const Vocabulary &vocabulary);

void ResetOffers(Vocabulary &vocabulary);
void ResetErrors(Vocabulary &vocabulary);
void ResetAllStatistics(Vocabulary &vocabulary);
