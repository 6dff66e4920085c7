#include "host/gui/FrameScheduler.h"

#include <QTimer>

#include <algorithm>

namespace Tesselon {

FrameScheduler::FrameScheduler(int viewCount, std::function<void(int)> draw, QObject* parent)
    : QObject(parent),
      m_draw(std::move(draw)),
      m_pending(static_cast<std::size_t>(std::max(viewCount, 0)), false),
      m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    // A coarse timer may fire several milliseconds late, which costs a whole refresh now and then.
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &FrameScheduler::drawFrame);
}

void FrameScheduler::setFrameInterval(int milliseconds)
{
    m_intervalMilliseconds = std::max(milliseconds, 0);
}

void FrameScheduler::request(int index)
{
    if (index < 0 || index >= static_cast<int>(m_pending.size()))
        return;
    m_pending[static_cast<std::size_t>(index)] = true;
    if (m_timer->isActive())
        return;
    // Right away after a quiet spell, so a lone change shows without delay; otherwise one interval after
    // the last frame.
    const qint64 sinceFrame = m_sinceFrame.isValid() ? m_sinceFrame.elapsed() : m_intervalMilliseconds;
    m_timer->start(static_cast<int>(std::max<qint64>(0, m_intervalMilliseconds - sinceFrame)));
}

void FrameScheduler::requestAll()
{
    for (int index = 0; index < static_cast<int>(m_pending.size()); ++index)
        request(index);
}

bool FrameScheduler::isPending(int index) const
{
    return index >= 0 && index < static_cast<int>(m_pending.size()) &&
           m_pending[static_cast<std::size_t>(index)];
}

void FrameScheduler::clear()
{
    std::fill(m_pending.begin(), m_pending.end(), false);
    m_timer->stop();
}

void FrameScheduler::drawFrame()
{
    m_sinceFrame.start();
    // Taken first: drawing may ask for the next frame, which must not be lost.
    const std::vector<bool> due = std::exchange(m_pending, std::vector<bool>(m_pending.size(), false));
    for (int index = 0; index < static_cast<int>(due.size()); ++index)
        if (due[static_cast<std::size_t>(index)])
            m_draw(index);
}

}  // namespace Tesselon
