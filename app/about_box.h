#pragma once

#include <QDialog>
#include <QLabel>
#include <QUrl>

class AnimatedPicture;

// A label that opens its address with the desktop's default handler when clicked:
// blue and underlined, red while pressed, navy once visited.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    LinkLabel(const QString &text, const QUrl &target, QWidget *parent);

    QUrl target() const { return m_target; }
    QColor textColour() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setTextColour(const QColor &colour);

    QUrl m_target;
};

// The about box: name, version, purpose, two links and a small animation.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);

    bool isAnimating() const;

protected:
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    AnimatedPicture *m_animation;
};

inline const QUrl ProjectWebPage(QStringLiteral("https://merko.example.org/"));
inline const QUrl ProjectMail(QStringLiteral("mailto:merko@example.org"));
