#include "report_window.h"

#include "app/app_context.h"
#include "app/file_error.h"
#include "app/text_file.h"
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

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *panel1 = new QWidget(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setFixedHeight(41);
    auto *panelLayout = new QHBoxLayout(panel1);
    panelLayout->addStretch();
    auto *button1 = new QPushButton(QStringLiteral("OK"), panel1);
    button1->setObjectName(QStringLiteral("Button1"));
    panelLayout->addWidget(button1);
    layout->addWidget(panel1);

    m_memo1 = new QPlainTextEdit(this);
    m_memo1->setObjectName(QStringLiteral("Memo1"));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setFamilies({QStringLiteral("Courier New"), fixed.family()});
    fixed.setPixelSize(13);
    fixed.setBold(true);
    m_memo1->setFont(fixed);
    m_memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
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
