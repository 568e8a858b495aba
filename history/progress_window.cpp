#include "progress_window.h"

#include "history/progress_charts.h"

#include "history/review_history.h"
#include "settings/settings.h"
#include "vocabulary/current_dictionary.h"
#include "widgets/prompts.h"
#include "widgets/run_command.h"

#include "core/text_file.h"

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>

#include <cmath>
#include <QVBoxLayout>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(ProgressWindow)
};

constexpr int ForecastDays = 14;
constexpr int HardestShown = 100;
const int Periods[] = {30, 90, 365};

const QColor Exact(0, 160, 0);
const QColor Typo(230, 160, 0);
const QColor Wrong(210, 0, 0);

// The figures line wraps between its figures, never inside one: a label and its number stay on
// one line ("z počítačů: 3"), the blanks around the separators and after a comma may break.
QString keptTogether(const QString &line)
{
    static const QString separator = QStringLiteral("   \u00B7   ");
    QStringList figures = line.split(separator);
    for (QString &figure : figures) {
        QStringList parts = figure.split(QStringLiteral(", "));
        for (QString &part : parts)
            part.replace(QLatin1Char(' '), QChar::Nbsp);
        figure = parts.join(QStringLiteral(", "));
    }
    return figures.join(separator);
}

QString dayLabel(const QDate &day)
{
    return day.toString(Texts::tr("d.M.", "day and month of a chart's axis"));
}

// Recall in whole percent, cut rather than rounded: "100" is a card answered this very moment,
// not a word failed a minute ago whose recall the model puts at 99.9 %.
QString recallPercent(double retrievability)
{
    return QString::number(std::floor(100.0 * retrievability + 1e-9), 'f', 0);
}

// The last `days` days by their numbers (0 the first, today the last): every step-th day back
// from today named, in their order as the axis wants them.
QList<QPair<int, QString>> namedDays(const QDate &today, int days)
{
    QList<QPair<int, QString>> named;
    const QDate first = today.addDays(-(days - 1));
    const int step = (days + 5) / 6;
    for (int day = (days - 1) % step; day < days; day += step)
        named.append({day, dayLabel(first.addDays(day))});
    return named;
}

} // namespace

ProgressWindow::ProgressWindow(ReviewHistory &history, const CurrentDictionary &dictionary,
                               const Settings &settings, Prompts &prompts, Clock clock,
                               QWidget *parent)
    : QDialog(parent)
    , m_history(history)
    , m_dictionary(dictionary)
    , m_settings(settings)
    , m_prompts(prompts)
    , m_clock(std::move(clock))
    , m_charts(LoadProgressCharts(&m_chartsMissing))
{
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(Texts::tr("Pokrok"));
    resize(760, 560);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(createControls());
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("ProgressPages"));
    layout->addWidget(m_pages, 1);
    m_answers = addChartPage("AnswersPage", Texts::tr("&Odpovědi"));
    m_shares = addChartPage("SharesPage", Texts::tr("Ú&spěšnost"));
    m_forecast = addChartPage("ForecastPage", Texts::tr("&Předpověď"));
    m_memory = addChartPage("MemoryPage", Texts::tr("Pa&měť"));
    m_pages->addTab(createHardestPage(), Texts::tr("&Nejtěžší"));
    m_figures = new QLabel(this);
    m_figures->setObjectName(QStringLiteral("ProgressFigures"));
    m_figures->setWordWrap(true);
    layout->addWidget(m_figures);
    layout->addWidget(createButtons());
    addPageKeys();
}

QWidget *ProgressWindow::createControls()
{
    auto *controls = new QWidget(this);
    auto *row = new QHBoxLayout(controls);
    row->setContentsMargins(0, 0, 0, 0);
    const auto combo = [&](const char *name, const QString &label, const QStringList &items) {
        auto *box = new QComboBox(controls);
        box->setObjectName(QLatin1String(name));
        box->addItems(items);
        auto *caption = new QLabel(label, controls);
        caption->setBuddy(box);
        row->addWidget(caption);
        row->addWidget(box);
        connect(box, &QComboBox::currentIndexChanged, this, &ProgressWindow::refresh);
        return box;
    };
    m_scope = combo("ProgressScope", Texts::tr("&Rozsah:"),
                    {Texts::tr("aktuální slovník"), Texts::tr("celá historie")});
    m_period = combo("ProgressPeriod", Texts::tr("O&bdobí:"),
                     {Texts::tr("30 dní"), Texts::tr("90 dní"), Texts::tr("365 dní")});
    row->addStretch(1);
    return controls;
}

ProgressWindow::ChartPage ProgressWindow::addChartPage(const char *name, const QString &title)
{
    ChartPage page;
    page.stack = new QStackedWidget(m_pages);
    page.stack->setObjectName(QLatin1String(name));
    if (m_charts)
        page.view = m_charts->newView(page.stack);
    page.empty = new QLabel(page.stack);
    page.empty->setAlignment(Qt::AlignCenter);
    page.empty->setWordWrap(true);
    if (page.view)
        page.stack->addWidget(page.view);
    page.stack->addWidget(page.empty);
    m_pages->addTab(page.stack, title);
    return page;
}

QWidget *ProgressWindow::createHardestPage()
{
    auto *page = new QWidget(m_pages);
    auto *layout = new QVBoxLayout(page);
    auto *row = new QHBoxLayout;
    m_order = new QComboBox(page);
    m_order->setObjectName(QStringLiteral("HardestOrder"));
    m_order->addItems({Texts::tr("počtu zapomenutí"), Texts::tr("vybavení nyní")});
    auto *caption = new QLabel(Texts::tr("Ř&adit podle:"), page);
    caption->setBuddy(m_order);
    row->addWidget(caption);
    row->addWidget(m_order);
    row->addStretch(1);
    layout->addLayout(row);
    connect(m_order, &QComboBox::currentIndexChanged, this, &ProgressWindow::refresh);

    m_hardestStack = new QStackedWidget(page);
    m_hardest = new QTableWidget(0, 6, m_hardestStack);
    m_hardest->setObjectName(QStringLiteral("HardestCards"));
    m_hardest->setHorizontalHeaderLabels({Texts::tr("strana 1"), Texts::tr("strana 2"),
                                          Texts::tr("nabízena"), Texts::tr("zapomenuto"),
                                          Texts::tr("odpovědí"), Texts::tr("vybavení %")});
    m_hardest->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_hardest->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_hardest->setTabKeyNavigation(false); // Tab leads out of the table
    m_hardest->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (const int side : {0, 1})
        m_hardest->horizontalHeader()->setSectionResizeMode(side, QHeaderView::Stretch);
    m_hardest->verticalHeader()->hide();
    m_hardestEmpty = new QLabel(m_hardestStack);
    m_hardestEmpty->setAlignment(Qt::AlignCenter);
    m_hardestEmpty->setWordWrap(true);
    m_hardestStack->addWidget(m_hardest);
    m_hardestStack->addWidget(m_hardestEmpty);
    layout->addWidget(m_hardestStack, 1);
    page->setObjectName(QStringLiteral("HardestPage"));
    return page;
}

QWidget *ProgressWindow::createButtons()
{
    auto *buttons = new QWidget(this);
    auto *row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    const auto button = [&](const char *name, const QString &text) {
        auto *pushButton = new QPushButton(text, buttons);
        pushButton->setObjectName(QLatin1String(name));
        pushButton->setAutoDefault(false);
        row->addWidget(pushButton);
        return pushButton;
    };
    connect(button("SavePicture", Texts::tr("Uložit obráze&k...")), &QPushButton::clicked, this,
            &ProgressWindow::savePicture);
    connect(button("SaveAnswers", Texts::tr("Uložit &historii (CSV)...")), &QPushButton::clicked,
            this, &ProgressWindow::saveAnswers);
    row->addStretch(1);
    connect(button("CloseProgress", Texts::tr("&Zavřít")), &QPushButton::clicked, this,
            &QDialog::reject);
    return buttons;
}

// Ctrl+Tab and Ctrl+PgDn move to the next page, with Shift or PgUp back, wherever the focus is.
void ProgressWindow::addPageKeys()
{
    const auto step = [this](int by) {
        m_pages->setCurrentIndex((m_pages->currentIndex() + by + m_pages->count())
                                 % m_pages->count());
    };
    for (const auto &[keys, by] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                                   {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                                   {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                                   {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}}) {
        auto *shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [step, by = by] { step(by); });
    }
}

void ProgressWindow::showEvent(QShowEvent *event)
{
    refresh();
    QDialog::showEvent(event);
}

int ProgressWindow::periodDays() const
{
    return Periods[std::max(m_period->currentIndex(), 0)];
}

QString ProgressWindow::scopeDictionary() const
{
    return m_scope->currentIndex() == 0 ? m_dictionary.path() : QString();
}

void ProgressWindow::refresh()
{
    // Without a dictionary the current one's scope holds nothing: the whole history is shown.
    m_scope->setEnabled(!m_dictionary.path().isEmpty());
    if (m_dictionary.path().isEmpty() && m_scope->currentIndex() == 0) {
        m_scope->setCurrentIndex(1); // refreshes again
        return;
    }
    const QSqlDatabase database = m_history.database();
    if (!database.isValid()) {
        showEmpty(Texts::tr("Historii odpovědí nelze otevřít, a tak není co ukázat."));
        m_figures->clear();
        return;
    }
    const HistoryProgress progress(database, scopeDictionary(), m_clock(),
                                   MemoryModelOf(m_settings), m_computer);
    const bool hasAnswers = progress.hasAnswers();
    if (!progress.failure().isEmpty()) {
        showFailure(progress);
        return;
    }
    if (!hasAnswers) {
        showEmpty(m_scope->currentIndex() == 0
                      ? Texts::tr("Na tento slovník zatím historie nemá žádnou odpověď.\n"
                                  "Odpovědi se do ní zapisují od této verze programu; "
                                  "obrázky se naplní, jakmile budete odpovídat.")
                      : Texts::tr("Historie odpovědí je zatím prázdná.\nOdpovědi se do ní "
                                  "zapisují od této verze programu; obrázky se naplní, "
                                  "jakmile budete odpovídat."));
        showFigures(progress);
        return;
    }
    m_hardestStack->setCurrentIndex(0);
    if (m_charts) {
        for (ChartPage *page : {&m_answers, &m_shares, &m_forecast, &m_memory})
            page->stack->setCurrentWidget(page->view);
        drawAnswers(progress);
        drawShares(progress);
        drawForecast(progress);
        drawMemory(progress);
    } else {
        showChartsMissing();
    }
    fillHardest(progress);
    showFigures(progress);
    // A question that failed on the way leaves no chart that reads as "nothing there".
    if (!progress.failure().isEmpty())
        showFailure(progress);
}

void ProgressWindow::showFailure(const HistoryProgress &progress)
{
    showEmpty(Texts::tr("Historii odpovědí nelze přečíst: %1.").arg(progress.failure()));
    m_figures->clear();
}

void ProgressWindow::showEmpty(const QString &why)
{
    for (ChartPage *page : {&m_answers, &m_shares, &m_forecast, &m_memory}) {
        page->empty->setText(why);
        page->stack->setCurrentWidget(page->empty);
    }
    m_hardestEmpty->setText(why);
    m_hardestStack->setCurrentIndex(1);
}

void ProgressWindow::showChartsMissing()
{
    for (ChartPage *page : {&m_answers, &m_shares, &m_forecast, &m_memory}) {
        page->empty->setText(Texts::tr("Obrázky nelze nakreslit: %1.").arg(m_chartsMissing));
        page->stack->setCurrentWidget(page->empty);
    }
}

void ProgressWindow::drawAnswers(const HistoryProgress &progress)
{
    const int days = periodDays();
    ChartContent content;
    content.title = Texts::tr("Odpovědi za den, posledních %1 dní").arg(days);
    content.bars = {{Texts::tr("přesně"), Exact, {}},
                    {Texts::tr("s překlepem"), Typo, {}},
                    {Texts::tr("chybně nebo ukázáno"), Wrong, {}}};
    for (const DayAnswers &day : progress.answersPerDay(days)) {
        content.bars[0].counts.append(day.exact);
        content.bars[1].counts.append(day.typo);
        content.bars[2].counts.append(day.wrong);
        content.categories.append(dayLabel(day.day));
    }
    content.days = days;
    content.namedDays = namedDays(progress.today(), days);
    m_charts->draw(m_answers.view, content);
}

void ProgressWindow::drawShares(const HistoryProgress &progress)
{
    const int days = periodDays();
    ChartContent content;
    content.title = Texts::tr("Správné první odpovědi dne (%)");
    ChartLine shares{Texts::tr("správně napoprvé"), std::nullopt, true, {}};
    const QDate today = progress.today();
    const QDate first = today.addDays(-(days - 1));
    for (const DayShare &day : progress.firstAnswerShares(days))
        shares.points.append({double(first.daysTo(day.day)), 100.0 * day.share});
    const double retention = m_settings.desiredRetention;
    content.lines = {shares,
                     {Texts::tr("udržet v paměti %1 %").arg(m_settings.desiredRetention),
                      QPen(Qt::gray, 1, Qt::DashLine),
                      false,
                      {{0, retention}, {double(days - 1), retention}}}};
    content.days = days;
    content.namedDays = namedDays(today, days);
    m_charts->draw(m_shares.view, content);
}

void ProgressWindow::drawForecast(const HistoryProgress &progress)
{
    ChartContent content;
    content.title = Texts::tr("Karty k opakování v příštích %1 dnech").arg(ForecastDays);
    for (int day = 0; day < ForecastDays; ++day)
        content.categories.append(day == 0   ? Texts::tr("dnes")
                                  : day == 1 ? Texts::tr("zítra")
                                             : dayLabel(progress.today().addDays(day)));
    content.bars = {{Texts::tr("k opakování (dnes i ty po termínu)"), QColor(0, 90, 200),
                     progress.dueForecast(ForecastDays)}};
    content.categoryFontScale = 0.8; // fourteen dates in a row
    content.fittedCategory = 1;
    content.fittedShortForm = dayLabel(progress.today().addDays(1));
    m_charts->draw(m_forecast.view, content);
}

void ProgressWindow::drawMemory(const HistoryProgress &progress)
{
    ChartContent content;
    content.title = Texts::tr("Karty podle toho, jak dlouho je udržíte v paměti");
    const bool dictionaryScope = !scopeDictionary().isEmpty();
    const MemoryBuckets buckets
        = progress.memoryBuckets(dictionaryScope ? 2 * m_dictionary.vocabulary().count() : 0);
    content.categories
        = {Texts::tr("pod 1 den"), Texts::tr("1–7 dní"), Texts::tr("1–4 týdny"), Texts::tr("déle")};
    QList<int> counts{buckets.underDay, buckets.week, buckets.month, buckets.longer};
    // New cards are known only for a dictionary, whose pairs are all there.
    if (dictionaryScope) {
        content.categories.prepend(Texts::tr("nové"));
        counts.prepend(buckets.fresh);
    }
    content.bars = {{Texts::tr("karty (dvojice v jednom směru)"), QColor(120, 60, 180), counts}};
    m_charts->draw(m_memory.view, content);
}

void ProgressWindow::fillHardest(const HistoryProgress &progress)
{
    const HardOrder order
        = m_order->currentIndex() == 0 ? HardOrder::ByWrongAnswers : HardOrder::ByRetrievability;
    const QList<HardCard> cards = progress.hardestCards(order, HardestShown);
    m_hardest->setRowCount(int(cards.size()));
    for (int row = 0; row < cards.size(); ++row) {
        const HardCard &card = cards.at(row);
        const QStringList texts{card.side1.trimmed(),
                                card.side2.trimmed(),
                                Texts::tr("strana %1").arg(card.offeredSide),
                                QString::number(card.wrongAnswers),
                                QString::number(card.reviews),
                                recallPercent(card.retrievability)};
        for (int column = 0; column < texts.size(); ++column) {
            auto *item = new QTableWidgetItem(texts.at(column));
            if (column >= 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_hardest->setItem(row, column, item);
        }
    }
}

void ProgressWindow::showFigures(const HistoryProgress &progress)
{
    const ProgressFigures figures = progress.figures();
    QString text = Texts::tr("Dní v řadě s procvičováním: %1   ·   dnes odpovědí: %2, "
                             "čas %3   ·   celkem odpovědí: %4, čas %5")
                       .arg(figures.streakDays)
                       .arg(figures.answersToday)
                       .arg(FormatDuration(figures.msToday))
                       .arg(figures.answersInAll)
                       .arg(FormatDuration(figures.msInAll));
    // Answers of the user's other computers are named once there are any.
    if (figures.computers > 1)
        text += Texts::tr("   ·   z počítačů: %1").arg(figures.computers);
    m_figures->setText(keptTogether(text));
}

void ProgressWindow::savePicture()
{
    const QString path = m_prompts.saveFileName(
        this, Texts::tr("pokrok.png"), Texts::tr("Obrázky PNG (*.png)"), QStringLiteral("png"));
    if (path.isEmpty())
        return;
    RunCommand(m_prompts, this, [&] {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        m_pages->currentWidget()->grab().save(&buffer, "PNG");
        WriteFileSafely(path, bytes);
    });
}

void ProgressWindow::saveAnswers()
{
    const QSqlDatabase database = m_history.database();
    if (!database.isValid()) {
        m_prompts.error(this, Texts::tr("Historii odpovědí nelze otevřít, a tak ji nelze "
                                        "uložit."));
        return;
    }
    const QString path = m_prompts.saveFileName(
        this, Texts::tr("historie.csv"), Texts::tr("Text CSV (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    RunCommand(m_prompts, this, [&] {
        WriteFileSafely(
            path, HistoryProgress(database, scopeDictionary(), m_clock(), MemoryModelOf(m_settings))
                      .answersCsv());
    });
}
