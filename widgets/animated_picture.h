#pragma once

#include <QLabel>

class QMovie;

// A looping GIF animation drawn stretched to the control's size. It runs while it is started
// and visible; it is read when first shown, so a picture never shown costs nothing.
class AnimatedPicture : public QLabel
{
    Q_OBJECT
public:
    AnimatedPicture(const QString &resource, QWidget *parent);

    void start();
    void stop();
    bool isRunning() const;
    // The animation, read now if it was not yet.
    QMovie *animation();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void follow();

    QString m_resource;
    QMovie *m_movie = nullptr;
    bool m_started = false;
};
