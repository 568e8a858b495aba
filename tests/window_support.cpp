#include "window_support.h"

#include "app/application.h"
#include "core/helpers.h"
#include "core/text_file.h"
#include "drill/drill_window.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <stdexcept>

bool ScriptedPrompts::confirm(QWidget *, const QString &text)
{
    asked.append({QStringLiteral("confirm"), text});
    return answers.isEmpty() ? false : answers.takeFirst();
}

void ScriptedPrompts::notice(QWidget *, const QString &text)
{
    asked.append({QStringLiteral("notice"), text});
}

void ScriptedPrompts::error(QWidget *, const QString &text, const QString &details)
{
    asked.append({QStringLiteral("error"), text, details});
}

QString ScriptedPrompts::saveFileName(QWidget *, const QString &start, const QString &filter,
                                      const QString &defaultSuffix)
{
    saveStarts.append(start);
    asked.append({QStringLiteral("save"), filter});
    saveFilters.append(filter);
    saveSuffixes.append(defaultSuffix);
    return saveNames.isEmpty() ? QString() : saveNames.takeFirst();
}

QString ScriptedPrompts::openFileName(QWidget *, const QString &, const QString &filter)
{
    asked.append({QStringLiteral("open"), filter});
    return openNames.isEmpty() ? QString() : openNames.takeFirst();
}

QString ScriptedPrompts::folderName(QWidget *, const QString &start)
{
    asked.append({QStringLiteral("folder"), start});
    return folderNames.isEmpty() ? QString() : folderNames.takeFirst();
}

WriteFailureChoice ScriptedPrompts::writeFailed(QWidget *, const QString &text)
{
    asked.append({QStringLiteral("writeFailed"), text});
    return writeChoices.isEmpty() ? WriteFailureChoice::Discard : writeChoices.takeFirst();
}

QStringList ScriptedPrompts::texts(const QString &kind) const
{
    QStringList result;
    for (const Asked &entry : asked) {
        if (entry.kind == kind)
            result.append(entry.text);
    }
    return result;
}

RunningProgram::RunningProgram()
    : m_workingDirectory(QDir::currentPath())
{
    if (!m_directory.isValid())
        throw std::runtime_error("no temporary directory");
    ResetRandomState();
}

RunningProgram::~RunningProgram()
{
    m_application.reset();
    QDir::setCurrent(m_workingDirectory);
}

QString RunningProgram::path(const QString &name) const
{
    return QDir(m_directory.path()).filePath(name);
}

void RunningProgram::writeFile(const QString &name, const char *utf8) const
{
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write test file");
    file.write(EncodeCp1250(QString::fromUtf8(utf8)));
}

void RunningProgram::writeSettings(const char *lines) const
{
    writeFile(QStringLiteral("Merko.ini"), lines);
}

void RunningProgram::start(const QString &executable, const QString &commandLineFile)
{
    m_application = std::make_unique<Application>(prompts, path(executable),
                                                  path(QStringLiteral("data")), clock);
    m_application->start(commandLineFile);
    ProcessEvents();
}

void RunningProgram::startNaming(const QString &dictionaryPath, const char *moreSettings)
{
    writeSettings(
        (QByteArray("[Setup]\r\nSlovnik=") + dictionaryPath.toUtf8() + "\r\n" + moreSettings)
            .constData());
    start();
}

void RunningProgram::startWith(const char *dictionary, const char *moreSettings,
                               const QString &name)
{
    writeFile(name, dictionary);
    startNaming(path(name), moreSettings);
}

void RunningProgram::stop()
{
    form().close();
    m_application.reset();
}

void RunningProgram::answer(const QString &typed)
{
    auto *field = child<QLineEdit>(form(), "Edit2");
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(child<QPushButton>(form(), "Button1"), Qt::Key_Return);
}

bool WaitFor(const std::function<bool()> &condition, int ms)
{
    for (QDeadlineTimer deadline(ms); !condition();) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

DrillWindow &RunningProgram::form()
{
    return m_application->drillWindow();
}

void RunningProgram::whenModal(std::function<void()> action)
{
    whenModalMatches([](QWidget *) { return true; }, [action](QWidget *) { action(); });
}

void RunningProgram::whenModalMatches(std::function<bool(QWidget *)> matches,
                                      std::function<void(QWidget *)> action)
{
    // Polls until the dialog is up, then acts inside its event loop.
    auto *timer = new QTimer(&m_watches);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, matches, action] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && matches(modal)) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

void ProcessEvents()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

void TypeText(QWidget *widget, const QString &text)
{
    for (QChar c : text) {
        const bool ascii = c.unicode() < 128;
        const auto key = ascii ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

QString NoSuchFile()
{
    return QString::fromUtf8("Nepodařilo se najít žádný takový soubor nebo adresář");
}

UrlCatcher::UrlCatcher()
{
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open");
}

UrlCatcher::~UrlCatcher()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}
