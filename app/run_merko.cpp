#include "application.h"

#include "drill/drill_window.h"
#include "widgets/prompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTranslator>

#include <cstdio>
#include <optional>

void InstallCzechTranslation(QCoreApplication &application)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    auto *translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::Czech), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

namespace {

// What the command line asks for.
struct CommandLine
{
    QString file;                  // the file to open, or empty
    std::optional<int> exitStatus; // answered (--help, --version, a wrong option): end at once
};

void setIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("merko"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MERKO_VERSION));
}

// Read before any window is made, so that --help and --version answer without a display.
CommandLine readCommandLine(int argc, char *argv[])
{
    CommandLine line;
    if (argc <= 1)
        return line;
    QCoreApplication core(argc, argv);
    setIdentity();
    InstallCzechTranslation(core);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Merko – program pro zkoušení slovíček."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Zobrazí tuto nápovědu a skončí."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Zobrazí verzi programu a skončí."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(
        QStringLiteral("soubor"),
        QStringLiteral("Slovník (*.slv), který se otevře místo naposledy zvoleného; soubor "
                       "jiného programu (*.kvtml, *.csv, *.tsv, *.txt) se převezme do nového "
                       "slovníku, balíček Anki (*.apkg, *.colpkg) do slovníků s jeho "
                       "opakováním."),
        QStringLiteral("[soubor]"));
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        line.exitStatus = 1;
    } else if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        line.exitStatus = 0;
    } else if (parser.isSet(version)) {
        std::printf("merko %s\n", MERKO_VERSION);
        line.exitStatus = 0;
    } else if (!parser.positionalArguments().isEmpty()) {
        line.file = parser.positionalArguments().constFirst();
    }
    return line;
}

} // namespace

int RunMerko(int argc, char *argv[], const std::function<void(DrillWindow &)> &beforeShow)
{
    const CommandLine line = readCommandLine(argc, argv);
    if (line.exitStatus)
        return *line.exitStatus;
    QApplication application(argc, argv);
    setIdentity();
    // The format is named, so that the image is not offered to every image reader first.
    QApplication::setWindowIcon(QIcon(QPixmap(QStringLiteral(":/assets/merko.png"), "PNG")));
    InstallCzechTranslation(application);

    MessageBoxPrompts prompts;
    Application merko(prompts, QApplication::applicationFilePath());
    merko.watchForTermination();
    if (beforeShow)
        beforeShow(merko.drillWindow());
    merko.start(line.file);
    return application.exec();
}
