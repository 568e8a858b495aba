#pragma once

#include <QString>

#include <functional>
#include <memory>

class QApplication;
class TForm1;
struct AppContext;
class Prompts;

// The running program: its shared state and its nine windows, created in their order.
class Application
{
public:
    Application(Prompts &prompts, const QString &executablePath);
    ~Application();

    TForm1 &mainWindow() { return *m_form1; }
    AppContext &context() { return *m_context; }

private:
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<TForm1> m_form1;
};

// Czech texts for the toolkit's own buttons and dialogs, whatever the system's locale.
void InstallCzechTranslation(QApplication &application);

// Runs the program: creates the windows, shows the main window and runs the event loop.
// `beforeShow` lets a measuring harness watch the main window; the program passes nothing.
int RunMerko(int argc, char *argv[], const std::function<void(TForm1 &)> &beforeShow = {});
