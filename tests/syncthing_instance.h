#pragma once

// Syncthing started by a test: on the loopback only, with nothing that would reach another
// address, ended by its process id.

#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

namespace {

// A port on the loopback that nothing listens on now, and that no earlier call gave: a port
// given back by the system once must not serve two listeners of one test.
inline int freeLoopbackPort()
{
    static QSet<int> given;
    for (;;) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t length = sizeof(address);
        bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address));
        getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
        close(fd);
        const int port = ntohs(address.sin_port);
        if (!given.contains(port)) {
            given.insert(port);
            return port;
        }
    }
}

// One Syncthing instance of a test: its own home, listening on the loopback only, with every
// feature that would reach another address off (discovery, local announcements, relays, NAT
// traversal, usage and crash reports, upgrades).
class SyncthingInstance
{
public:
    explicit SyncthingInstance(const QString &root)
        : m_home(root + QStringLiteral("/home"))
        , m_folder(root + QStringLiteral("/folder"))
        , m_port(freeLoopbackPort())
        , m_guiPort(freeLoopbackPort())
    {
        QDir().mkpath(m_folder + QStringLiteral("/.stfolder"));
        QProcess generate;
        generate.setProcessChannelMode(QProcess::MergedChannels);
        generate.start(QStringLiteral("syncthing"),
                       {QStringLiteral("generate"), QStringLiteral("--home=") + m_home,
                        QStringLiteral("--no-default-folder")});
        generate.waitForFinished(60000);
        const QString output = QString::fromUtf8(generate.readAll());
        const QRegularExpressionMatch id
            = QRegularExpression(QStringLiteral("Device ID: ([A-Z0-9-]+)")).match(output);
        m_id = id.captured(1);
    }
    ~SyncthingInstance()
    {
        if (m_process) {
            m_process->terminate(); // SIGTERM to its process id
            if (!m_process->waitForFinished(10000))
                m_process->kill();
        }
    }

    const QString &id() const { return m_id; }
    const QString &folder() const { return m_folder; }
    int port() const { return m_port; }

    // The configuration before the first start: the other instance, by address, shares the
    // folder.
    bool configure(const SyncthingInstance &other)
    {
        QFile file(m_home + QStringLiteral("/config.xml"));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        QString config = QString::fromUtf8(file.readAll());
        file.close();
        const auto set = [&config](const char *element, const QString &value) {
            const QString name = QLatin1String(element);
            config.replace(QRegularExpression(QStringLiteral("<%1>[^<]*</%1>").arg(name)),
                           QStringLiteral("<%1>%2</%1>").arg(name, value));
        };
        set("listenAddress", QStringLiteral("tcp://127.0.0.1:%1").arg(m_port));
        for (const char *feature :
             {"globalAnnounceEnabled", "localAnnounceEnabled", "relaysEnabled", "natEnabled",
              "startBrowser", "crashReportingEnabled", "announceLANAddresses"})
            set(feature, QStringLiteral("false"));
        set("urAccepted", QStringLiteral("-1"));
        set("autoUpgradeIntervalH", QStringLiteral("0"));
        set("reconnectionIntervalS", QStringLiteral("1"));
        config.replace(QStringLiteral("<address>127.0.0.1:8384</address>"),
                       QStringLiteral("<address>127.0.0.1:%1</address>").arg(m_guiPort));
        const QString shared
            = QStringLiteral("    <device id=\"%1\" name=\"other\" compression=\"metadata\""
                             " introducer=\"false\" skipIntroductionRemovals=\"false\""
                             " introducedBy=\"\"><address>tcp://127.0.0.1:%2</address></device>\n"
                             "    <folder id=\"merko\" label=\"merko\" path=\"%3\""
                             " type=\"sendreceive\" rescanIntervalS=\"1\" fsWatcherEnabled=\"true\""
                             " fsWatcherDelayS=\"1\"><device id=\"%4\"></device>"
                             "<device id=\"%1\"></device></folder>\n"
                             "    <gui ")
                  .arg(other.id())
                  .arg(other.port())
                  .arg(m_folder, m_id);
        config.replace(QStringLiteral("    <gui "), shared);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        file.write(config.toUtf8());
        return true;
    }

    void start()
    {
        m_process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("STNOUPGRADE"), QStringLiteral("1"));
        environment.insert(QStringLiteral("STNODEFAULTFOLDER"), QStringLiteral("1"));
        environment.insert(QStringLiteral("HOME"), m_home);
        m_process->setProcessEnvironment(environment);
        // Its log goes to a file: a pipe nobody reads while it waits would stop it once full.
        m_process->setProcessChannelMode(QProcess::MergedChannels);
        m_process->setStandardOutputFile(m_home + QStringLiteral("/log.txt"));
        m_process->start(QStringLiteral("syncthing"),
                         {QStringLiteral("serve"), QStringLiteral("--home=") + m_home,
                          QStringLiteral("--no-browser"), QStringLiteral("--no-restart"),
                          QStringLiteral("--no-upgrade")});
        m_process->waitForStarted(10000);
    }

    QString log() const
    {
        return QString::fromUtf8(ReadBytes(m_home + QStringLiteral("/log.txt")));
    }

private:
    QString m_home;
    QString m_folder;
    int m_port;
    int m_guiPort;
    QString m_id;
    std::unique_ptr<QProcess> m_process;
};

// The two instances share their folders with each other and run; false when they could not
// be set up.
inline bool StartSharing(SyncthingInstance &first, SyncthingInstance &second)
{
    if (first.id().isEmpty() || second.id().isEmpty() || !first.configure(second)
        || !second.configure(first))
        return false;
    first.start();
    second.start();
    return true;
}

// The instance's log says it listened on the loopback and connected to nothing else.
inline bool OnLoopbackOnly(const QString &log)
{
    return log.contains(QStringLiteral("TCP listener (127.0.0.1:"))
           && !log.contains(QRegularExpression(QStringLiteral(
               "(?:Established secure connection|Connected to).*\\b(?!127\\.0\\.0\\.1)"
               "\\d+\\.\\d+\\.\\d+\\.\\d+:")));
}

} // namespace
