#include "application.h"

#include "about_box.h"
#include "app_context.h"
#include "prompts.h"
#include "drill/main_window.h"
#include "help_window.h"
#include "settings/settings_window.h"
#include "statistics/report_window.h"
#include "vocabulary/current_window.h"
#include "vocabulary/editor_window.h"
#include "vocabulary/new_dictionary_window.h"
#include "vocabulary/selection_window.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

Application::Application(Prompts &prompts, const QString &executablePath)
    : m_context(std::make_unique<AppContext>(prompts, executablePath))
{
    // The main window comes first; the others are its children and live as long as it does.
    m_form1 = std::make_unique<TForm1>(*m_context);
    SecondaryWindows windows;
    windows.settings = new TForm2(*m_context, m_form1.get());
    windows.editor = new TForm3(*m_context, m_form1.get());
    windows.newDictionary = new TForm4(*m_context, m_form1.get());
    windows.about = new TAboutBox(m_form1.get());
    windows.report = new TForm5(*m_context, m_form1.get());
    windows.selection = new TForm6(*m_context, m_form1.get());
    windows.current = new TForm7(*m_context, m_form1.get());
    windows.help = new TForm8(m_form1.get());
    m_form1->setSecondaryWindows(windows);

    TForm1 *form1 = m_form1.get();
    QObject::connect(windows.settings, &TForm2::criteriaPanelVisibilityChanged, form1,
                     &TForm1::setCriteriaPanelVisible);
    QObject::connect(windows.settings, &TForm2::pictureSwitchedOff, form1, &TForm1::hidePicture);
    QObject::connect(windows.editor, &TForm3::fileSaved, form1, &TForm1::dictionaryFileSaved);
    QObject::connect(windows.newDictionary, &TForm4::fileSaved, form1,
                     &TForm1::dictionaryFileSaved);
    QObject::connect(windows.settings, &TForm2::loadRequested, form1,
                     [form1] { form1->runCommand([form1] { form1->Nati1Click(); }); });
}

Application::~Application() = default;

void InstallCzechTranslation(QApplication &application)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    auto *translator = new QTranslator(&application);
    if (translator->load(QLocale(QLocale::Czech), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

int RunMerko(int argc, char *argv[], const std::function<void(TForm1 &)> &beforeShow)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("merko"));
    QApplication::setApplicationDisplayName(QStringLiteral("Merko"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/merko.png")));
    InstallCzechTranslation(application);

    MessageBoxPrompts prompts;
    Application merko(prompts, QApplication::applicationFilePath());
    if (beforeShow)
        beforeShow(merko.mainWindow());
    merko.mainWindow().show();
    return application.exec();
}
