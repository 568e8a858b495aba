#include "report_window.h"

#include "app/app_context.h"
#include "app/file_error.h"
#include "app/text_file.h"
#include "app/window_parts.h"
#include "reports.h"

#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm5::TForm5(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(OfferReportTitle);
    resize(441, 370);

    QVBoxLayout *layout = FlatColumn(this);
    QPushButton *button1 = NamedButton(QStringLiteral("OK"), "Button1", this, false);
    layout->addWidget(ButtonStrip("Panel1", 41, {button1}, this));

    QFont fixed = FixedPitchFont();
    fixed.setPixelSize(13);
    fixed.setBold(true);
    m_memo1 = Memo(this, fixed, true);
    layout->addWidget(m_memo1);

    connect(button1, &QPushButton::clicked, this, &QDialog::accept);
}

QString TForm5::reportPath() const
{
    return QDir(m_context.dataDirectory).filePath(QLatin1String(ReportFileName));
}

void TForm5::ShowReport(const QStringList &lines, const QString &title)
{
    WriteFileSafely(reportPath(), JoinLines(lines));
    setWindowTitle(title);
    exec();
}

void TForm5::FormActivate()
{
    try {
        m_memo1->setPlainText(ReadTextFileLines(reportPath()).join(QLatin1Char('\n')));
    } catch (const FileError &error) {
        m_context.prompts.error(this, error.message());
    }
}

void TForm5::showEvent(QShowEvent *event)
{
    FormActivate();
    QDialog::showEvent(event);
}
