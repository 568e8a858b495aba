#pragma once

#include <QDialog>
#include <QLabel>
#include <QUrl>

class AnimatedPicture;

// A label that opens its address with the desktop's default handler when clicked:
// blue and underlined, red while pressed, navy once visited. Without an address it
// is plain text: nothing is offered that does not exist.
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

// The documentation installed beside the program (its changelog and licence), found
// from the executable's folder; empty when the program runs from where it was built.
QUrl InstalledDocumentation(const QString &executableFolder);
