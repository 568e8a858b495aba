#include "app/application.h"
#include "app/prompts.h"
#include "drill/main_window.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("merko"));
    QApplication::setApplicationDisplayName(QStringLiteral("Merko"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/merko.png")));
    InstallCzechTranslation(application);

    MessageBoxPrompts prompts;
    Application merko(prompts, QApplication::applicationFilePath());
    merko.mainWindow().show();
    return application.exec();
}
