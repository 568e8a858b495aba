#include "app/application.h"

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

// Window tests run against the real widgets on the offscreen platform.
int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QCoreApplication::addLibraryPath(QStringLiteral(MERKO_MODULES_DIR)); // the built modules
    InstallInterfaceTranslation(application, QStringLiteral("cs"));
    QStandardPaths::setTestModeEnabled(true); // never touch the user's own folders // as the
                                              // program does: the tests see what users see
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
