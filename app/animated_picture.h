#pragma once

#include <QLabel>

class QMovie;

// A looping animation drawn stretched to the control's size; it runs only when started.
class AnimatedPicture : public QLabel
{
    Q_OBJECT
public:
    AnimatedPicture(const QString &resource, QWidget *parent);

    void start();
    void stop();
    bool isRunning() const;

private:
    QMovie *m_movie;
};
