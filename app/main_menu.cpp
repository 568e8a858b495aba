#include "application.h"

#include "drill/drill_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(MainMenu)
};

} // namespace

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

    QMenu *file = addMenu(nullptr, "Soubor1", Texts::tr("&Soubor"));
    addCommand(file, "Nati1", Texts::tr("&Načti"), &Application::loadDictionary,
               QKeySequence(Qt::Key_F3));
    addCommand(file, "Importovat1", Texts::tr("&Importovat..."), &Application::importDictionary,
               {});
    addCommand(file, "Exportovat1", Texts::tr("E&xportovat..."), &Application::exportDictionary,
               {});
    separator(file, "N1");
    QMenu *edit = addMenu(file, "Edituj1", Texts::tr("&Edituj"));
    addCommand(edit, "Nov1", Texts::tr("&Nový"), &Application::newDictionary, {});
    addCommand(edit, "Vbr1", Texts::tr("&Výběr ..."), &Application::editDictionary, {});
    addCommand(file, "Ukaaktuln1", Texts::tr("&Ukaž aktuální"), &Application::showCurrentDictionary,
               {});
    addCommand(file, "Jazyky1", Texts::tr("&Jazyky slovníku..."), &Application::chooseLanguages,
               {});
    separator(file, "N5");
    addCommand(file, "Konec1", Texts::tr("&Konec"), &Application::quit,
               QKeySequence(Qt::ALT | Qt::Key_X));

    QMenu *statistics = addMenu(nullptr, "Statistika1", Texts::tr("S&tatistika"));
    addCommand(statistics, "etnosti1", Texts::tr("Č&etnosti"), &Application::showOfferReport, {});
    addCommand(statistics, "Chybovosti1", Texts::tr("&Chybovosti"), &Application::showErrorReport,
               {});
    addCommand(statistics, "Pokrok1", Texts::tr("&Pokrok..."), &Application::showProgress, {});
    separator(statistics, "N3");
    QMenu *reset = addMenu(statistics, "Vynulovat1", Texts::tr("&Vynulovat"));
    QMenu *internal = addMenu(reset, "Intern1", Texts::tr("&Interní"));
    addCommand(internal, "etnosti2", Texts::tr("Č&etnosti"), &Application::resetOfferCounters, {});
    addCommand(internal, "Chybovosti2", Texts::tr("&Chybovosti"), &Application::resetErrorCounters,
               {});
    separator(internal, "N4");
    addCommand(internal, "Vechny1", Texts::tr("&Všechny"), &Application::resetAllCounters, {});
    addCommand(reset, "Aktuln1", Texts::tr("&Aktuální"), &Application::resetDrillCounters, {});

    addCommand(nullptr, "Volby1", Texts::tr("&Volby"), &Application::showSettings, {});

    QMenu *help = addMenu(nullptr, "Help1", Texts::tr("&Help"));
    addCommand(help, "Help2", Texts::tr("&Help"), &Application::showHelp, {});
    separator(help, "N2");
    addCommand(help, "Oaplikaci1", Texts::tr("&O aplikaci"), &Application::showAbout, {});
}
