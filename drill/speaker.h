#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <memory>

class SpeechEngine;

// Says words aloud through the system's speech service (speech-dispatcher), each in a voice of
// its own language and never in another. The speech engine is created on a thread of its own
// when the first word is to be said (it lists every voice, which takes a while), so the caller
// never waits: say() only passes the word on. A new word stops the one being said. What keeps
// a word from being said (no speech service, no voice for its language, an engine that does
// not answer) is reported once by problem(), and the drill goes on without it. Nor does the
// program wait for a service that never answers when it ends: at most a second.
class Speaker : public QObject
{
    Q_OBJECT
public:
    explicit Speaker(QObject *parent = nullptr);
    ~Speaker() override;

    // `language`: an ISO 639-1 code; empty says nothing.
    void say(const QString &text, const QString &language);

signals:
    // What the user is told, once for each kind of trouble.
    void problem(const QString &message);
    // The text has been handed to the engine.
    void handedOver(const QString &text, const QString &language);

private:
    // Stopping waits this long for the thread; a thread stuck in the speech service is left
    // to the end of the process.
    static constexpr int StopWaitMs = 1000;

    std::unique_ptr<QThread> m_thread;
    SpeechEngine *m_engine = nullptr; // lives on m_thread
    QStringList m_told;
};
