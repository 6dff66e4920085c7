#pragma once

#include <QObject>

#include <Eigen/Core>

#include <map>
#include <memory>
#include <string>

class QTimer;

namespace Tesselon {

class GlMesh;
class Mesh;
class TrackingStream;
class ViewGroup;

/// Shows every instrument of a tracking stream in a group of views as a pointer mesh at its calibrated
/// pose (tipToWorld = stream pose · markerToTracker · tipToMarker), hidden while the tracker does not see
/// it: what the user sees of a connected tracker before any visualization algorithm runs. Reads the stream
/// on a GUI-thread timer.
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

private:
    Eigen::Matrix4d calibrationOf(const std::string& instrumentId) const;

    TrackingStream& m_stream;
    ViewGroup& m_views;
    std::shared_ptr<const Mesh> m_toolMesh;
    std::map<std::string, std::unique_ptr<GlMesh>> m_tools;
    QTimer* m_timer;
};

}  // namespace Tesselon
