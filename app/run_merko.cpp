#include "application.h"

#include "drill/drill_window.h"
#include "widgets/prompts.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTranslator>

void InstallCzechTranslation(QApplication &application)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    auto *translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::Czech), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

int RunMerko(int argc, char *argv[], const std::function<void(DrillWindow &)> &beforeShow)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("merko"));
    // The format is named, so that the image is not offered to every image reader first.
    QApplication::setWindowIcon(QIcon(QPixmap(QStringLiteral(":/assets/merko.png"), "PNG")));
    InstallCzechTranslation(application);

    MessageBoxPrompts prompts;
    Application merko(prompts, QApplication::applicationFilePath());
    merko.watchForTermination();
    if (beforeShow)
        beforeShow(merko.drillWindow());
    merko.start();
    return application.exec();
}
