#include "memory_weights_panel.h"

#include "settings.h"
#include "history/memory_fit.h"
#include "widgets/prompts.h"
#include "widgets/run_command.h"
#include "widgets/window_parts.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(SettingsDialog)
};

} // namespace

MemoryWeightsPanel::MemoryWeightsPanel(Settings &settings, Prompts &prompts,
                                       const QString &dataDirectory, QString historyPath,
                                       QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_prompts(prompts)
    , m_dataDirectory(dataDirectory)
    , m_historyPath(std::move(historyPath))
{
    setObjectName(QStringLiteral("MemoryWeightsPanel"));
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("MemoryWeightsLabel"));
    m_state->setGeometry(0, 0, 330, 18);
    m_optimise = NamedButton(Texts::tr("&Optimalizovat podle historie..."), "OptimiseButton", this);
    m_optimise->setGeometry(0, 20, 200, 25);
    m_defaults = NamedButton(Texts::tr("Obnovit &výchozí"), "DefaultWeightsButton", this);
    m_defaults->setGeometry(206, 20, 123, 25);
    connect(m_optimise, &QPushButton::clicked, this, &MemoryWeightsPanel::optimise);
    connect(m_defaults, &QPushButton::clicked, this, &MemoryWeightsPanel::restoreDefaults);
    showWeights();
}

MemoryWeightsPanel::~MemoryWeightsPanel() = default;

void MemoryWeightsPanel::showWeights()
{
    if (m_settings.memoryWeights) {
        // The locale's short date with the whole year.
        QString format = QLocale().dateFormat(QLocale::ShortFormat);
        if (!format.contains(QLatin1String("yyyy")))
            format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        m_state->setText(Texts::tr("Parametry paměti: vlastní (optimalizováno %1)")
                             .arg(QLocale().toString(m_settings.memoryWeightsDate, format)));
    } else {
        m_state->setText(Texts::tr("Parametry paměti: výchozí"));
    }
    m_defaults->setEnabled(m_settings.memoryWeights || !m_settings.refusedWeights.isEmpty());
}

void MemoryWeightsPanel::optimise()
{
    if (m_run)
        return;
    m_run = new MemoryFitRun(this);
    m_progress = new QProgressDialog(Texts::tr("Parametry paměti se přizpůsobují historii "
                                               "odpovědí..."),
                                     Texts::tr("Zrušit"), 0, 100, window());
    m_progress->setObjectName(QStringLiteral("OptimisationProgress"));
    m_progress->setWindowTitle(QStringLiteral("Merko"));
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(0);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setValue(0);
    connect(m_run, &MemoryFitRun::progressed, m_progress, &QProgressDialog::setValue);
    connect(m_progress, &QProgressDialog::canceled, m_run, &MemoryFitRun::cancel);
    connect(m_run, &MemoryFitRun::finished, this, &MemoryWeightsPanel::fitFinished);
    m_optimise->setEnabled(false);
    m_run->start(m_historyPath, MemoryModelOf(m_settings).weights);
}

void MemoryWeightsPanel::fitFinished(const std::optional<Optimisation> &result,
                                     const QString &failure)
{
    m_progress->deleteLater();
    m_progress = nullptr;
    m_run->deleteLater();
    m_run = nullptr;
    m_optimise->setEnabled(true);
    if (!result) {
        m_prompts.notice(window(), failure);
        return;
    }
    if (result->outcome == Optimisation::Outcome::Better) {
        m_settings.memoryWeights = result->weights;
        m_settings.memoryWeightsDate = QDate::currentDate();
        m_settings.refusedWeights.clear();
        keep();
    }
    m_prompts.notice(window(), OptimisationReport(*result));
}

void MemoryWeightsPanel::restoreDefaults()
{
    m_settings.memoryWeights.reset();
    m_settings.memoryWeightsDate = QDate();
    m_settings.refusedWeights.clear();
    keep();
}

// The weights in force are written at once and followed everywhere.
void MemoryWeightsPanel::keep()
{
    RunCommand(m_prompts, window(), [this] { WriteMemoryWeights(m_settings, m_dataDirectory); });
    showWeights();
    emit changed();
}
