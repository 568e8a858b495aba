#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QPen>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QtPlugin>

#include <optional>

class QWidget;

// What a page of the progress window pictures, as plain figures: the window says what to draw,
// the charts' module draws it. The module (Qt Charts and the libraries it brings) is loaded when
// the window first draws, so that a start of the program does not load them.

// A set of bars, one bar a category.
struct ChartBars
{
    QString name;
    QColor colour;
    QList<int> counts;
};

// A line through points (x: a day's number on the axis of days).
struct ChartLine
{
    QString name;
    std::optional<QPen> pen; // none: the chart's own colour
    bool pointsShown = false;
    QList<QPointF> points;
};

struct ChartContent
{
    QString title;
    // Bars over the categories, counted on the left; several sets stand on each other.
    QList<ChartBars> bars;
    QStringList categories;
    // The labels of the categories at this share of the axis' font.
    qreal categoryFontScale = 1.0;
    // A category whose label is replaced by a short form where it would not fit its bar.
    int fittedCategory = -1;
    QString fittedShortForm;
    // Lines over the days, on an axis of percent.
    QList<ChartLine> lines;
    // An axis of `days` days by their numbers, the named ones labelled; with bars it stands
    // under them instead of the categories' labels.
    int days = 0;
    QList<QPair<int, QString>> namedDays;
};

// Draws the progress window's pictures.
class ProgressCharts
{
public:
    virtual ~ProgressCharts() = default;
    // An empty picture in the parent.
    virtual QWidget *newView(QWidget *parent) = 0;
    // Replaces what a picture of newView() shows.
    virtual void draw(QWidget *view, const ChartContent &content) = 0;
};

#define ProgressCharts_iid "org.example.merko.ProgressCharts/1"
Q_DECLARE_INTERFACE(ProgressCharts, ProgressCharts_iid)

// The charts' module, loaded at the first call; null when it cannot be, with the reason.
ProgressCharts *LoadProgressCharts(QString *reason,
                                   const QString &module = QStringLiteral("merko_charts"));
