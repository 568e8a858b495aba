#include "animated_picture.h"

#include <QMovie>

AnimatedPicture::AnimatedPicture(const QString &resource, QWidget *parent)
    : QLabel(parent)
    , m_resource(resource)
{
    setScaledContents(true);
}

QMovie *AnimatedPicture::animation()
{
    if (!m_movie) {
        m_movie = new QMovie(m_resource, QByteArrayLiteral("gif"), this);
        setMovie(m_movie);
        m_movie->jumpToFrame(0);
    }
    return m_movie;
}

void AnimatedPicture::start()
{
    m_started = true;
    follow();
}

void AnimatedPicture::stop()
{
    m_started = false;
    follow();
}

bool AnimatedPicture::isRunning() const
{
    return m_movie && m_movie->state() == QMovie::Running;
}

void AnimatedPicture::showEvent(QShowEvent *event)
{
    animation();
    QLabel::showEvent(event);
    follow();
}

void AnimatedPicture::hideEvent(QHideEvent *event)
{
    QLabel::hideEvent(event);
    follow();
}

void AnimatedPicture::follow()
{
    if (!m_movie)
        return; // never shown yet: nothing to run
    const bool run = m_started && isVisible();
    if (run && m_movie->state() == QMovie::Paused)
        m_movie->setPaused(false);
    else if (run && m_movie->state() == QMovie::NotRunning)
        m_movie->start();
    else if (!run && m_movie->state() == QMovie::Running)
        m_movie->setPaused(true);
}
