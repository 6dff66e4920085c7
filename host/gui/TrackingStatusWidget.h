#pragma once

#include <QWidget>

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

class QHBoxLayout;
class QLabel;
class QTimer;

namespace Tesselon {

class TrackingStream;
struct TrackingInstrument;

/// One lamp per instrument of each watched tracking stream: green while the tracker sees it, red once it
/// is lost (not visible, quality 0, or its stream stopped). Streams keep their own lamps, so a dead stream
/// never reddens another's instrument of the same name. Reads the streams on a timer on the GUI thread, so
/// stream threads never touch it.
class TrackingStatusWidget : public QWidget
{
    Q_OBJECT

public:
    explicit TrackingStatusWidget(QWidget* parent = nullptr);

    /// The streams to watch; they must outlive the widget or be removed first.
    void setStreams(std::vector<TrackingStream*> streams);
    /// Reads the streams now (the timer does it ten times a second).
    void refresh();

    /// Whether the lamp of this instrument of the stream shows it seen; false for an unknown instrument.
    bool isSeen(const TrackingStream& stream, const std::string& instrumentId) const;
    /// The instruments of the stream that have a lamp.
    std::vector<std::string> instrumentIds(const TrackingStream& stream) const;

private:
    struct Lamp
    {
        QLabel* label;
        bool seen = false;
    };

    using LampKey = std::pair<const TrackingStream*, std::string>;

    void show(const TrackingStream& stream, const TrackingInstrument& instrument, bool seen);

    std::vector<TrackingStream*> m_streams;
    std::map<LampKey, Lamp> m_lamps;
    QHBoxLayout* m_layout;
    QTimer* m_timer;
};

}  // namespace Tesselon
