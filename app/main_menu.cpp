#include "application.h"

#include "drill/drill_window.h"

#include <QAction>
#include <QMenuBar>

// The main menu: its commands with their names, access keys and shortcuts, each run under the
// general error handler.

QMenu *Application::addMenu(QMenu *parent, const char *name, const QString &text)
{
    QMenu *menu = parent ? parent->addMenu(text) : m_drillWindow->menuBar()->addMenu(text);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

void Application::addCommand(QMenu *menu, const char *name, const QString &text,
                             void (Application::*command)(), const QKeySequence &shortcut)
{
    QAction *action = menu ? menu->addAction(text) : m_drillWindow->menuBar()->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    // Whatever window or message the command opened, the drill has the keyboard afterwards.
    connect(action, &QAction::triggered, this, [this, command] {
        runCommand([this, command] { (this->*command)(); });
        if (m_drillWindow->isVisible())
            m_drillWindow->takeBackFocus();
    });
}

void Application::buildMenu()
{
    m_drillWindow->menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    const auto separator = [](QMenu *menu, const char *name) {
        menu->addSeparator()->setObjectName(QLatin1String(name));
    };

    QMenu *file = addMenu(nullptr, "Soubor1", QStringLiteral("&Soubor"));
    addCommand(file, "Nati1", QStringLiteral("&Načti"), &Application::loadDictionary,
               QKeySequence(Qt::Key_F3));
    addCommand(file, "Importovat1", QStringLiteral("&Importovat..."),
               &Application::importDictionary, {});
    addCommand(file, "Exportovat1", QStringLiteral("E&xportovat..."),
               &Application::exportDictionary, {});
    separator(file, "N1");
    QMenu *edit = addMenu(file, "Edituj1", QStringLiteral("&Edituj"));
    addCommand(edit, "Nov1", QStringLiteral("&Nový"), &Application::newDictionary, {});
    addCommand(edit, "Vbr1", QStringLiteral("&Výběr ..."), &Application::editDictionary, {});
    addCommand(file, "Ukaaktuln1", QStringLiteral("&Ukaž aktuální"),
               &Application::showCurrentDictionary, {});
    addCommand(file, "Jazyky1", QStringLiteral("&Jazyky slovníku..."),
               &Application::chooseLanguages, {});
    separator(file, "N5");
    addCommand(file, "Konec1", QStringLiteral("&Konec"), &Application::quit,
               QKeySequence(Qt::ALT | Qt::Key_X));

    QMenu *statistics = addMenu(nullptr, "Statistika1", QStringLiteral("S&tatistika"));
    addCommand(statistics, "etnosti1", QStringLiteral("Č&etnosti"), &Application::showOfferReport,
               {});
    addCommand(statistics, "Chybovosti1", QStringLiteral("&Chybovosti"),
               &Application::showErrorReport, {});
    addCommand(statistics, "Pokrok1", QStringLiteral("&Pokrok..."), &Application::showProgress, {});
    separator(statistics, "N3");
    QMenu *reset = addMenu(statistics, "Vynulovat1", QStringLiteral("&Vynulovat"));
    QMenu *internal = addMenu(reset, "Intern1", QStringLiteral("&Interní"));
    addCommand(internal, "etnosti2", QStringLiteral("Č&etnosti"), &Application::resetOfferCounters,
               {});
    addCommand(internal, "Chybovosti2", QStringLiteral("&Chybovosti"),
               &Application::resetErrorCounters, {});
    separator(internal, "N4");
    addCommand(internal, "Vechny1", QStringLiteral("&Všechny"), &Application::resetAllCounters, {});
    addCommand(reset, "Aktuln1", QStringLiteral("&Aktuální"), &Application::resetDrillCounters, {});

    addCommand(nullptr, "Volby1", QStringLiteral("&Volby"), &Application::showSettings, {});

    QMenu *help = addMenu(nullptr, "Help1", QStringLiteral("&Help"));
    addCommand(help, "Help2", QStringLiteral("&Help"), &Application::showHelp, {});
    separator(help, "N2");
    addCommand(help, "Oaplikaci1", QStringLiteral("&O aplikaci"), &Application::showAbout, {});
}
