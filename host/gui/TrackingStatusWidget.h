#pragma once

#include <QWidget>

#include <chrono>
#include <map>
#include <string>
#include <vector>

class QHBoxLayout;
class QLabel;
class QTimer;

namespace Tesselon {

class TrackingStream;

/// One lamp per instrument of the watched tracking streams: green while the tracker sees it, red once it
/// is lost (not visible, quality 0, or its stream stopped). Reads the streams on a timer on the
/// GUI thread, so stream threads never touch it.
class TrackingStatusWidget : public QWidget
{
    Q_OBJECT

public:
    explicit TrackingStatusWidget(QWidget* parent = nullptr);

    /// The streams to watch; they must outlive the widget or be removed first.
    void setStreams(std::vector<TrackingStream*> streams);
    /// Reads the streams now (the timer does it ten times a second).
    void refresh();

    /// Whether the lamp of this instrument shows it seen; false for an unknown instrument.
    bool isSeen(const std::string& instrumentId) const;
    std::vector<std::string> instrumentIds() const;

private:
    struct Lamp
    {
        QLabel* label;
        bool seen = false;
    };

    void show(const std::string& id, const std::string& name, bool seen);

    std::vector<TrackingStream*> m_streams;
    std::map<std::string, Lamp> m_lamps;
    QHBoxLayout* m_layout;
    QTimer* m_timer;
};

}  // namespace Tesselon
