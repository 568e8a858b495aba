#include "application.h"

#include "drill/drill_window.h"
#include "settings/interface_language.h"
#include "settings/settings.h"
#include "widgets/prompts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QStandardPaths>
#include <QTranslator>

#include <cstdio>
#include <optional>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(RunMerko)
};

} // namespace

void InstallInterfaceTranslation(QCoreApplication &application, const QString &language)
{
    static const char translatorName[] = "merko-translation";
    for (QTranslator *translator : application.findChildren<QTranslator *>(
             QLatin1String(translatorName), Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    // The user's own locale where it is of that language (its territory's dates and numbers).
    const QLocale system = QLocale::system();
    const QLocale locale
        = system.language() == QLocale(language).language() ? system : QLocale(language);
    QLocale::setDefault(locale);
    const auto install = [&](const QString &name, const QString &folder) {
        auto *translator = new QTranslator(&application);
        translator->setObjectName(QLatin1String(translatorName));
        if (translator->load(locale, name, QStringLiteral("_"), folder))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    };
    install(QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    // What Qt's catalogue lacks, where the program has it.
    install(QStringLiteral("qt_extra"), QStringLiteral(":/i18n"));
    // The program's own texts are written in Czech; other languages have a translation.
    if (language != QLatin1String(SourceLanguage))
        install(QStringLiteral("merko"), QStringLiteral(":/i18n"));
}

QString DataDirectoryOf(const QString &executablePath)
{
    return ChooseDataDirectory(ProgramDirectory(executablePath),
                               QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

QString InstallRunLanguage(QCoreApplication &application, const QString &executablePath)
{
    const QString language
        = InterfaceLanguageOfRun(ReadInterfaceLanguageChoice(DataDirectoryOf(executablePath)),
                                 [](const char *name) { return qEnvironmentVariable(name); });
    InstallInterfaceTranslation(application, language);
    return language;
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
    InstallRunLanguage(core, QCoreApplication::applicationFilePath());
    QCommandLineParser parser;
    parser.setApplicationDescription(Texts::tr("Merko – program pro zkoušení slovíček."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  Texts::tr("Zobrazí tuto nápovědu a skončí."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     Texts::tr("Zobrazí verzi programu a skončí."));
    const QCommandLineOption optimise(
        QStringLiteral("optimize"),
        Texts::tr("Přizpůsobí parametry paměti historii odpovědí (bez okna), vypíše, jak "
                  "předpovídají, a skončí; nové parametry uloží, jen když předpovídají lépe."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(optimise);
    parser.addPositionalArgument(
        Texts::tr("soubor"),
        Texts::tr("Slovník (*.slv), který se otevře místo naposledy zvoleného; soubor "
                  "jiného programu (*.kvtml, *.csv, *.tsv, *.txt) se převezme do nového "
                  "slovníku, balíček Anki (*.apkg, *.colpkg) do slovníků s jeho "
                  "opakováním."),
        Texts::tr("[soubor]"));
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.errorText()));
        line.exitStatus = 1;
    } else if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        line.exitStatus = 0;
    } else if (parser.isSet(version)) {
        std::printf("merko %s\n", MERKO_VERSION);
        line.exitStatus = 0;
    } else if (parser.isSet(optimise)) {
        line.exitStatus = OptimiseFromCommandLine();
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
    InstallRunLanguage(application, QCoreApplication::applicationFilePath());

    MessageBoxPrompts prompts;
    Application merko(prompts, QApplication::applicationFilePath());
    merko.watchForTermination();
    if (beforeShow)
        beforeShow(merko.drillWindow());
    merko.start(line.file);
    // Ended by the system during the start (a logout while a question was shown): the loop's
    // end has passed already, and the program would wait in a loop of its own for ever.
    if (merko.isEnding())
        return 0;
    return application.exec();
}
