#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <vector>

class QTimer;

namespace Tesselon {

/// Coalesces redraw requests for a few views into frames at most one display refresh apart: a view asked
/// for any number of times between two frames is drawn once, a view nobody asked for is not drawn. The
/// first request after a quiet spell is served at the next pass of the event loop. Used by `DisplayWidget`.
class FrameScheduler : public QObject
{
    Q_OBJECT

public:
    /// `draw(index)` draws one view; it is called with the views pending when a frame is due.
    FrameScheduler(int viewCount, std::function<void(int)> draw, QObject* parent = nullptr);

    /// The shortest time between two frames, e.g. one refresh of the screen.
    void setFrameInterval(int milliseconds);
    int frameInterval() const { return m_intervalMilliseconds; }

    /// Asks for the view to be drawn at the next frame; out-of-range indices are ignored.
    void request(int index);
    void requestAll();
    bool isPending(int index) const;
    /// Forgets every pending request, e.g. after the caller drew every view itself.
    void clear();

private:
    void drawFrame();

    std::function<void(int)> m_draw;
    std::vector<bool> m_pending;
    QTimer* m_timer;
    QElapsedTimer m_sinceFrame;
    int m_intervalMilliseconds = 16;
};

}  // namespace Tesselon
