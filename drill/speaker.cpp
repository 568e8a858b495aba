#include "speaker.h"

#include "vocabulary/languages.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTextToSpeech>
#include <QTimer>

#include <memory>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Speaker)
};

// An engine still "speaking" after this long is taken for stuck.
constexpr int StuckAfterMs = 5000;

QString noService()
{
    return Texts::tr("Slova nelze vyslovit: služba speech-dispatcher neodpovídá nebo chybí. "
                     "Nainstalujte balíčky "
                     "speech-dispatcher, speech-dispatcher-espeak-ng a qt6-speech-speechd-plugin.");
}

} // namespace

// The engine's side, on the speaker's thread.
class SpeechEngine : public QObject
{
    Q_OBJECT
public:
    void say(const QString &text, const QString &language);

signals:
    void problem(const QString &message);
    void handedOver(const QString &text, const QString &language);

private:
    bool ready();
    void stateChanged(QTextToSpeech::State state);

    std::unique_ptr<QTextToSpeech> m_speech;
    bool m_broken = false;
    QTimer *m_stuck = nullptr;
};

bool SpeechEngine::ready()
{
    if (m_broken)
        return false;
    if (m_speech)
        return true;
    if (!QTextToSpeech::availableEngines().contains(QLatin1String("speechd"))) {
        m_broken = true;
        emit problem(noService());
        return false;
    }
    m_speech = std::make_unique<QTextToSpeech>(QStringLiteral("speechd"));
    // Without a service the engine knows no language at all.
    if (m_speech->availableLocales().isEmpty()) {
        m_broken = true;
        m_speech.reset();
        emit problem(noService());
        return false;
    }
    m_stuck = new QTimer(this);
    m_stuck->setSingleShot(true);
    m_stuck->setInterval(StuckAfterMs);
    connect(m_stuck, &QTimer::timeout, this, [this] {
        if (m_speech && m_speech->state() == QTextToSpeech::Speaking) {
            m_speech->stop();
            emit problem(Texts::tr("Hlasový výstup déle než 5 sekund neodpovídá; slova se "
                                   "teď nevysloví."));
        }
    });
    connect(m_speech.get(), &QTextToSpeech::stateChanged, this, &SpeechEngine::stateChanged);
    return true;
}

void SpeechEngine::stateChanged(QTextToSpeech::State state)
{
    if (state != QTextToSpeech::Speaking)
        m_stuck->stop();
    if (state == QTextToSpeech::Error)
        emit problem(Texts::tr("Hlasový výstup ohlásil chybu; slova se teď nevysloví."));
}

void SpeechEngine::say(const QString &text, const QString &language)
{
    if (language.isEmpty() || !ready())
        return;
    const QLocale::Language wanted = QLocale(language).language();
    const QList<QLocale> locales = m_speech->availableLocales();
    const auto voice = std::find_if(locales.begin(), locales.end(), [&](const QLocale &locale) {
        return locale.language() == wanted;
    });
    const QString missing
        = Texts::tr("Pro %1 není nainstalován hlas.").arg(LanguageAccusative(language));
    if (wanted == QLocale::C || voice == locales.end()) {
        emit problem(missing);
        return;
    }
    m_speech->stop();
    if (m_speech->locale().language() != wanted)
        m_speech->setLocale(*voice);
    // Never in a wrong voice: the engine must really have taken the language.
    if (m_speech->locale().language() != wanted) {
        emit problem(missing);
        return;
    }
    m_speech->say(text);
    m_stuck->start();
    emit handedOver(text, language);
}

Speaker::Speaker(QObject *parent)
    : QObject(parent)
{
    m_thread = std::make_unique<QThread>();
    m_engine = new SpeechEngine;
    m_engine->moveToThread(m_thread.get());
    connect(m_thread.get(), &QThread::finished, m_engine, &QObject::deleteLater);
    connect(m_engine, &SpeechEngine::problem, this, [this](const QString &message) {
        if (m_told.contains(message))
            return;
        m_told.append(message);
        emit problem(message);
    });
    connect(m_engine, &SpeechEngine::handedOver, this, &Speaker::handedOver);
    m_thread->setObjectName(QStringLiteral("speech"));
    m_thread->start();
}

Speaker::~Speaker()
{
    m_engine->disconnect(this);
    m_thread->quit();
    // A speech service that takes a request and never answers keeps the thread in its call,
    // where nothing can stop it: the thread and its engine are let go, so that the program
    // ends all the same; the end of the process takes them.
    if (!m_thread->wait(QDeadlineTimer(StopWaitMs)))
        static_cast<void>(m_thread.release());
}

void Speaker::say(const QString &text, const QString &language)
{
    QMetaObject::invokeMethod(
        m_engine, [engine = m_engine, text, language] { engine->say(text, language); },
        Qt::QueuedConnection);
}

#include "speaker.moc"
