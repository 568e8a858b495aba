#include "app/application.h"
#include "drill/drill_window.h"
#include "paint_watch.h"

#include <QLineEdit>

// The program's own start-up, which says "ready" and ends as soon as the first pair has been
// painted. The start-up benchmark runs it from a folder with a settings file and a dictionary.
int main(int argc, char *argv[])
{
    return RunMerko(argc, argv, [](DrillWindow &window) {
        QObject::connect(&window, &DrillWindow::pairOffered, &window, [&window] {
            static bool first = true;
            if (first)
                new PaintWatch(window.findChild<QLineEdit *>(QStringLiteral("Edit1")));
            first = false;
        });
    });
}
