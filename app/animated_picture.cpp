#include "animated_picture.h"

#include <QMovie>

AnimatedPicture::AnimatedPicture(const QString &resource, QWidget *parent)
    : QLabel(parent)
    , m_movie(new QMovie(resource, QByteArray(), this))
{
    setScaledContents(true);
    setMovie(m_movie);
    m_movie->jumpToFrame(0);
}

void AnimatedPicture::start()
{
    if (m_movie->state() == QMovie::Paused)
        m_movie->setPaused(false);
    else if (m_movie->state() == QMovie::NotRunning)
        m_movie->start();
}

void AnimatedPicture::stop()
{
    if (m_movie->state() == QMovie::Running)
        m_movie->setPaused(true);
}

bool AnimatedPicture::isRunning() const
{
    return m_movie->state() == QMovie::Running;
}
