#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>

// A speech-dispatcher of the test's own, on a socket in a folder of its own, whose one output
// module (of the sd_generic kind) says nothing aloud: it appends "language|voice|text" for every
// request to a file. Voices exist for Czech, German and English only. The program finds it
// through SPEECHD_ADDRESS, which start() sets; the server is ended by its process.
class RecordingSpeechServer
{
public:
    explicit RecordingSpeechServer(const QString &folder)
        : m_folder(folder)
    {}
    ~RecordingSpeechServer()
    {
        m_server.kill();
        m_server.waitForFinished(3000);
        // Later tests find the speech service the program would find.
        if (m_previousAddress.isNull())
            qunsetenv("SPEECHD_ADDRESS");
        else
            qputenv("SPEECHD_ADDRESS", m_previousAddress);
    }

    static bool available()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("speech-dispatcher")).isEmpty();
    }

    // False when the server did not come up within five seconds.
    bool start()
    {
        QDir(m_folder).mkpath(QStringLiteral("conf/modules"));
        QDir(m_folder).mkpath(QStringLiteral("log"));
        write(QStringLiteral("conf/speechd.conf"),
              "LogLevel 2\nLogDir \"" + path(QStringLiteral("log")).toUtf8()
                  + "\"\nAudioOutputMethod \"libao\"\n"
                    "AddModule \"recorder\" \"sd_generic\" \"recorder.conf\"\n"
                    "DefaultModule recorder\nDefaultLanguage \"cs\"\n");
        write(QStringLiteral("conf/modules/recorder.conf"),
              "GenericExecuteSynth \"printf '%s|%s|%s\\\\n' \\'$LANGUAGE\\' \\'$VOICE\\' "
              "\\'$DATA\\' >> "
                  + saidPath().toUtf8()
                  + "\"\n"
                    "GenericLanguage \"cs\" \"cs\" \"utf-8\"\n"
                    "GenericLanguage \"de\" \"de\" \"utf-8\"\n"
                    "GenericLanguage \"en\" \"en\" \"utf-8\"\n"
                    "AddVoice \"cs\" \"MALE1\" \"cs-voice\"\n"
                    "AddVoice \"de\" \"MALE1\" \"de-voice\"\n"
                    "AddVoice \"en\" \"MALE1\" \"en-voice\"\n");
        const QString socket = path(QStringLiteral("socket"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        m_server.setProcessEnvironment(environment);
        m_server.start(QStringLiteral("speech-dispatcher"),
                       {QStringLiteral("-s"), QStringLiteral("-t"), QStringLiteral("0"),
                        QStringLiteral("-C"), path(QStringLiteral("conf")), QStringLiteral("-c"),
                        QStringLiteral("unix_socket"), QStringLiteral("-S"), socket,
                        // a pid file of its own: with the shared one a second server would
                        // not start
                        QStringLiteral("-P"), path(QStringLiteral("pid"))});
        m_previousAddress = qgetenv("SPEECHD_ADDRESS");
        if (!qEnvironmentVariableIsSet("SPEECHD_ADDRESS"))
            m_previousAddress = QByteArray();
        qputenv("SPEECHD_ADDRESS", ("unix_socket:" + socket).toUtf8());
        const bool up = waitFor([&] { return QFile::exists(socket); });
        if (!up)
            qWarning("speech-dispatcher: %s %s", m_server.readAllStandardError().constData(),
                     m_server.readAllStandardOutput().constData());
        return up;
    }

    // What the server was asked to say, a line each.
    QStringList said() const
    {
        QFile file(saidPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // Polls (running the caller's events) until `done` holds or five seconds passed.
    static bool waitFor(const std::function<bool()> &done, int ms = 5000)
    {
        QElapsedTimer waited;
        waited.start();
        while (!done()) {
            if (waited.elapsed() > ms)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(10);
        }
        return true;
    }

private:
    QString path(const QString &name) const { return QDir(m_folder).filePath(name); }
    QString saidPath() const { return path(QStringLiteral("said.txt")); }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QString m_folder;
    QProcess m_server;
    QByteArray m_previousAddress; // null: none was set
};
