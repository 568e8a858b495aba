// The progress window's pictures drawn with Qt Charts: a module of its own, loaded at run time.
// It knows nothing of the program but the figures it is handed.

#include "progress_charts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChartView>
#include <QLineSeries>
#include <QObject>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

void clearChart(QChart *chart)
{
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

void countAxis(QChart *chart, QAbstractSeries *series, double largest)
{
    auto *axis = new QValueAxis;
    axis->setRange(0, std::max(largest, 1.0));
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->applyNiceNumbers();
    // Counts are whole: a tick between two of them would show one of them twice.
    const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
    if (step != std::floor(step) && axis->max() <= 10)
        axis->setTickCount(int(axis->max() - axis->min()) + 1);
    chart->addAxis(axis, Qt::AlignLeft);
    series->attachAxis(axis);
}

// Days are counted, not timed: a day is one step on the axis whatever its length (23 or 25
// hours on a change of time), and every label stands on a whole day.
QCategoryAxis *dayAxis(const ChartContent &content)
{
    auto *axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setRange(0, content.days - 1);
    for (const auto &[day, label] : content.namedDays)
        axis->append(label, day);
    return axis;
}

// A category's label where it fits its bar, its short form where the word would be cut
// ("tomorrow" under one of fourteen bars), decided again whenever the plot changes width.
void labelWhereItFits(QChart *chart, QBarCategoryAxis *axis, int category, const QString &word,
                      const QString &shortForm)
{
    const auto fit = [axis, category, word, shortForm](const QRectF &plot) {
        const QFontMetrics metrics(axis->labelsFont());
        const qreal room = plot.width() / qreal(std::max(1, int(axis->count())));
        const bool fits = plot.width() <= 0 || metrics.horizontalAdvance(word) + 6 <= room;
        const QString wanted = fits ? word : shortForm;
        const QString shown = axis->at(category);
        if (shown != wanted)
            axis->replace(shown, wanted);
    };
    QObject::connect(chart, &QChart::plotAreaChanged, axis, fit);
    fit(chart->plotArea());
}

void drawBars(QChart *chart, const ChartContent &content)
{
    QAbstractBarSeries *series = content.bars.size() > 1
                                     ? static_cast<QAbstractBarSeries *>(new QStackedBarSeries)
                                     : new QBarSeries;
    QList<int> stacks(content.categories.size(), 0);
    for (const ChartBars &bars : content.bars) {
        auto *set = new QBarSet(bars.name);
        set->setColor(bars.colour);
        set->setBorderColor(bars.colour);
        for (qsizetype i = 0; i < bars.counts.size(); ++i) {
            set->append(bars.counts.at(i));
            if (i < stacks.size())
                stacks[i] += bars.counts.at(i);
        }
        series->append(set);
    }
    chart->addSeries(series);
    auto *categories = new QBarCategoryAxis;
    categories->append(content.categories);
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    if (content.days > 0) {
        // As a label a day would not fit under its bar: some days are named by an axis of day
        // numbers under the bars, whose day i is the middle of bar i.
        categories->setVisible(false);
        QCategoryAxis *named = dayAxis(content);
        named->setRange(-0.5, content.days - 0.5);
        chart->addAxis(named, Qt::AlignBottom);
    }
    countAxis(chart, series,
              stacks.isEmpty() ? 0 : *std::max_element(stacks.begin(), stacks.end()));
    if (content.categoryFontScale != 1.0) {
        QFont font = categories->labelsFont();
        font.setPointSizeF(font.pointSizeF() * content.categoryFontScale);
        categories->setLabelsFont(font);
    }
    if (content.fittedCategory >= 0 && content.fittedCategory < content.categories.size())
        labelWhereItFits(chart, categories, content.fittedCategory,
                         content.categories.at(content.fittedCategory), content.fittedShortForm);
}

void drawLines(QChart *chart, const ChartContent &content)
{
    QList<QLineSeries *> lines;
    for (const ChartLine &line : content.lines) {
        auto *series = new QLineSeries;
        series->setName(line.name);
        if (line.pen)
            series->setPen(*line.pen);
        series->setPointsVisible(line.pointsShown);
        series->append(line.points);
        chart->addSeries(series);
        lines.append(series);
    }
    QCategoryAxis *time = dayAxis(content);
    chart->addAxis(time, Qt::AlignBottom);
    auto *percent = new QValueAxis;
    percent->setRange(0, 100);
    percent->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(percent, Qt::AlignLeft);
    for (QLineSeries *series : lines) {
        series->attachAxis(time);
        series->attachAxis(percent);
    }
}

class QtProgressCharts : public QObject, public ProgressCharts
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ProgressCharts_iid)
    Q_INTERFACES(ProgressCharts)
public:
    QWidget *newView(QWidget *parent) override
    {
        // A chart that starts empty, with its legend below.
        auto *chart = new QChart;
        chart->legend()->setAlignment(Qt::AlignBottom);
        chart->setAnimationOptions(QChart::NoAnimation);
        auto *view = new QChartView(chart, parent);
        view->setRenderHint(QPainter::Antialiasing);
        return view;
    }

    void draw(QWidget *view, const ChartContent &content) override
    {
        QChart *chart = static_cast<QChartView *>(view)->chart();
        clearChart(chart);
        chart->setTitle(content.title);
        if (!content.bars.isEmpty())
            drawBars(chart, content);
        else
            drawLines(chart, content);
    }
};

} // namespace

#include "progress_charts_module.moc"
