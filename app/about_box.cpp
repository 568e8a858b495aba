#include "about_box.h"

#include "widgets/animated_picture.h"
#include "widgets/window_parts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QMouseEvent>
#include <QPushButton>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(AboutBox)
};

} // namespace

LinkLabel::LinkLabel(const QString &text, const QUrl &target, QWidget *parent)
    : QLabel(text, parent)
    , m_target(target)
{
    if (m_target.isEmpty())
        return;
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setTextColour(Qt::blue);
}

QColor LinkLabel::textColour() const
{
    return palette().color(QPalette::WindowText);
}

void LinkLabel::setTextColour(const QColor &colour)
{
    QPalette coloured = palette();
    coloured.setColor(QPalette::WindowText, colour);
    setPalette(coloured);
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !m_target.isEmpty())
        setTextColour(Qt::red);
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !m_target.isEmpty()) {
        const bool over = rect().contains(event->position().toPoint());
        setTextColour(over ? QColor(0, 0, 128) : QColor(Qt::blue));
        if (over)
            QDesktopServices::openUrl(m_target);
    }
    QLabel::mouseReleaseEvent(event);
}

QUrl InstalledDocumentation(const QString &executableFolder)
{
    const QFileInfo folder(QDir(executableFolder).filePath(QStringLiteral("../share/doc/merko")));
    if (!folder.isDir())
        return {};
    return QUrl::fromLocalFile(folder.canonicalFilePath());
}

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(Texts::tr("O programu:"));
    setFixedSize(272, 204);

    m_animation = new AnimatedPicture(QStringLiteral(":/assets/cards.gif"), this);
    m_animation->setObjectName(QStringLiteral("RxGIFAnimator1"));
    m_animation->setGeometry(168, 8, 93, 110);

    auto *framePanel = new QFrame(this);
    framePanel->setObjectName(QStringLiteral("Panel1"));
    framePanel->setGeometry(8, 8, 145, 177);
    framePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    framePanel->setLineWidth(2);

    auto *icon = new QLabel(framePanel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(8, 8, 65, 57);
    icon->setScaledContents(true);
    icon->setPixmap(QPixmap(QStringLiteral(":/assets/merko.png"), "PNG"));

    auto *productName = new QLabel(QStringLiteral("Merko"), framePanel);
    productName->setObjectName(QStringLiteral("ProductName"));
    QFont serif = SerifFont();
    serif.setPixelSize(19);
    serif.setBold(true);
    productName->setFont(serif);
    productName->setGeometry(74, 14, 68, 24);

    auto *version = new QLabel(Texts::tr("verze 1.5"), framePanel);
    version->setObjectName(QStringLiteral("Version"));
    version->setAlignment(Qt::AlignCenter);
    version->setGeometry(74, 40, 68, 16);

    auto *comments = new QLabel(Texts::tr("Program pro zkoušení slovíček"), framePanel);
    comments->setObjectName(QStringLiteral("Comments"));
    comments->setWordWrap(true);
    comments->setGeometry(8, 84, 130, 44);

    auto *web
        = new LinkLabel(Texts::tr("na stránky autora"),
                        InstalledDocumentation(QCoreApplication::applicationDirPath()), framePanel);
    web->setObjectName(QStringLiteral("ProUrlLabel1"));
    web->setGeometry(8, 134, 130, 16);
    auto *mail = new LinkLabel(Texts::tr("pošta autora"), QUrl(), framePanel);
    mail->setObjectName(QStringLiteral("ProUrlLabel2"));
    mail->setGeometry(8, 152, 130, 16);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(183, 148, 58, 29);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

bool AboutBox::isAnimating() const
{
    return m_animation->isRunning();
}

void AboutBox::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange) {
        // The animation runs while the box is the active window.
        if (isActiveWindow())
            m_animation->start();
        else
            m_animation->stop();
    }
    QDialog::changeEvent(event);
}

void AboutBox::hideEvent(QHideEvent *event)
{
    m_animation->stop();
    QDialog::hideEvent(event);
}
