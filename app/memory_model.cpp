#include "application.h"

#include "app_context.h"

#include "drill/answer_keeper.h"
#include "history/memory_fit.h"

#include <QCoreApplication>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Application)
};

} // namespace

void Application::followMemoryModel()
{
    if (m_keeper->historyReady())
        m_cardReplay->apply(MemoryModelOf(m_context->settings));
}

void Application::cardsReplayed(bool replayed, const QString &failure)
{
    if (replayed)
        m_context->drill.historyChanged();
    else if (!failure.isEmpty())
        tellNews(
            Texts::tr("Karty se nepodařilo přepočítat podle parametrů paměti: %1").arg(failure));
}

void Application::tellRefusedWeights()
{
    const Settings &settings = m_context->settings;
    if (!settings.refusedWeights.isEmpty()) {
        tellNews(Texts::tr("Klíč ParametryFSRS v souboru Merko.ini nemá 21 platných čísel v "
                           "jejich mezích; platí výchozí parametry paměti."));
    }
}
