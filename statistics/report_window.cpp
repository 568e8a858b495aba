#include "report_window.h"

#include "widgets/run_command.h"
#include "widgets/screen_place.h"
#include "widgets/window_parts.h"
#include "reports.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

ReportWindow::ReportWindow(Prompts &prompts, const QString &dataDirectory, QWidget *parent)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_dataDirectory(dataDirectory)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(OfferReportTitle());
    resize(441, 370);

    QVBoxLayout *layout = FlatColumn(this);
    m_okButton = NamedButton(QStringLiteral("OK"), "Button1", this, false);
    layout->addWidget(ButtonStrip("Panel1", 41, {m_okButton}, this));

    QFont fixed = FixedPitchFont();
    fixed.setPixelSize(13);
    fixed.setBold(true);
    m_text = Memo(this, fixed, true);
    m_text->setReadOnly(true);
    layout->addWidget(m_text);

    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void ReportWindow::showReport(const QStringList &lines, const QString &title)
{
    WriteReportFile(m_dataDirectory, lines);
    setWindowTitle(title);
    FitOnScreen(this);
    exec();
}

void ReportWindow::showEvent(QShowEvent *event)
{
    // The window shows the report file, as written or as changed since.
    RunCommand(m_prompts, this, [this] { m_text->setPlainText(ReadReportFile(m_dataDirectory)); });
    QDialog::showEvent(event);
    m_okButton->setFocus(Qt::TabFocusReason);
}
