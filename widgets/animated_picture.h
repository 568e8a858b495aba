#pragma once

#include <QLabel>

class QMovie;

// A looping animation drawn stretched to the control's size. It runs while it is started and
// visible: a hidden picture costs no timer.
class AnimatedPicture : public QLabel
{
    Q_OBJECT
public:
    // `resource` names a GIF animation.
    AnimatedPicture(const QString &resource, QWidget *parent);

    void start();
    void stop();
    bool isRunning() const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void follow();

    QMovie *m_movie;
    bool m_started = false;
};
