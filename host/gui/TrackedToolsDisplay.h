#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <Eigen/Core>

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QTimer;

namespace Tesselon {

class GlLine;
class GlMesh;
class Mesh;
class TrackingStream;
class ViewGroup;

/// Shows every instrument of a tracking stream in a group of views as a pointer mesh at its calibrated
/// pose (tipToWorld = stream pose · markerToTracker · tipToMarker), hidden while the tracker does not see
/// it: what the user sees of a connected tracker before any visualization algorithm runs. With the stream's
/// `TrackingStreamDisplayOptions` asking for a tracking history, each tool also draws the trail of its tip
/// over that many seconds. Reads the stream on a GUI-thread timer.
class TrackedToolsDisplay : public QObject
{
    Q_OBJECT

public:
    /// `stream` and `views` must outlive the display.
    TrackedToolsDisplay(TrackingStream& stream, ViewGroup& views, std::shared_ptr<const Mesh> toolMesh,
                        QObject* parent = nullptr);
    ~TrackedToolsDisplay() override;

    /// Reads the stream now (the timer does it at 30 Hz).
    void refresh();
    /// The display object of an instrument, or null.
    const GlMesh* tool(const std::string& instrumentId) const;
    /// The trail of an instrument's tip, or null.
    const GlLine* trail(const std::string& instrumentId) const;

private:
    struct Trail
    {
        std::unique_ptr<GlLine> line;
        std::deque<std::pair<double, Eigen::Vector3d>> tips;  ///< seconds, world position
    };

    Eigen::Matrix4d calibrationOf(const std::string& instrumentId) const;
    GlMesh& toolFor(const std::string& id);
    void extendTrail(const std::string& id, std::optional<Eigen::Vector3d> tip, double historySeconds);

    TrackingStream& m_stream;
    ViewGroup& m_views;
    std::shared_ptr<const Mesh> m_toolMesh;
    std::map<std::string, std::unique_ptr<GlMesh>> m_tools;
    std::map<std::string, Trail> m_trails;
    QElapsedTimer m_clock;
    QTimer* m_timer;
};

}  // namespace Tesselon
