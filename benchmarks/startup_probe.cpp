#include "app/application.h"
#include "drill/drill_window.h"

#include <QCoreApplication>

#include <cstdio>

// The program's own start-up, which says "ready" and ends as soon as the first pair is on
// screen. The start-up benchmark runs it from a folder with a settings file and a dictionary.
int main(int argc, char *argv[])
{
    return RunMerko(argc, argv, [](DrillWindow &window) {
        QObject::connect(&window, &DrillWindow::pairOffered, &window, [] {
            std::puts("ready");
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    });
}
