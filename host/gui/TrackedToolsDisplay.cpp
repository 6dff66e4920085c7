#include "host/gui/TrackedToolsDisplay.h"

#include "host/gl/GlLine.h"
#include "host/gl/GlMesh.h"
#include "host/gl/ViewGroup.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamDisplayOptions.h"

#include <QTimer>

namespace Tesselon {
namespace {

constexpr int refreshMilliseconds = 33;
const Eigen::Vector3d toolColour(0.95, 0.85, 0.35);
const Eigen::Vector3d trailColour(0.35, 0.8, 1.0);

}  // namespace

TrackedToolsDisplay::TrackedToolsDisplay(TrackingStream& stream, ViewGroup& views,
                                         std::shared_ptr<const Mesh> toolMesh, QObject* parent)
    : QObject(parent),
      m_stream(stream),
      m_views(views),
      m_toolMesh(std::move(toolMesh)),
      m_timer(new QTimer(this))
{
    connect(m_timer, &QTimer::timeout, this, &TrackedToolsDisplay::refresh);
    // A coarse timer may run a few percent slow, and the tools with it below 30 frames per second.
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->start(refreshMilliseconds);
    m_clock.start();
}

TrackedToolsDisplay::~TrackedToolsDisplay()
{
    for (auto& [id, tool] : m_tools)
        m_views.removeObject(tool.get());
    for (auto& [id, trail] : m_trails)
        m_views.removeObject(trail.line.get());
}

void TrackedToolsDisplay::refresh()
{
    const Eigen::Matrix4d streamToWorld = m_stream.matrix();
    const auto* options = m_stream.components().get<TrackingStreamDisplayOptions>();
    const int history = options ? options->trackingHistory.value() : 0;
    for (const TrackingInstrument& instrument : m_stream.instruments()) {
        const std::string id = instrument.id.ID();
        GlMesh& tool = toolFor(id);
        const bool seen = instrument.visible && instrument.quality > 0.0 && instrument.matrix.allFinite();
        tool.setVisible(seen);
        if (seen)
            tool.setMatrix(streamToWorld * instrument.matrix * calibrationOf(id));
        extendTrail(id, seen ? std::optional(tool.matrix().topRightCorner<3, 1>().eval()) : std::nullopt,
                    history);
    }
}

GlMesh& TrackedToolsDisplay::toolFor(const std::string& id)
{
    auto& tool = m_tools[id];
    if (!tool) {
        tool = std::make_unique<GlMesh>(m_toolMesh);
        tool->setName(id);
        tool->setColor(toolColour);
        tool->setData(&m_stream);
        m_views.addObject(tool.get());
    }
    return *tool;
}

void TrackedToolsDisplay::extendTrail(const std::string& id, std::optional<Eigen::Vector3d> tip,
                                      double historySeconds)
{
    Trail& trail = m_trails[id];
    if (!trail.line) {
        if (historySeconds <= 0)
            return;
        trail.line = std::make_unique<GlLine>(id + " trail");
        trail.line->setColor(trailColour);
        trail.line->setPointSize(0.0);
        trail.line->setShowDistanceLabel(false);
        trail.line->setData(&m_stream);
        m_views.addObject(trail.line.get());
    }
    const double now = static_cast<double>(m_clock.elapsed()) / 1000.0;
    if (tip && historySeconds > 0)
        trail.tips.emplace_back(now, *tip);
    while (!trail.tips.empty() && trail.tips.front().first < now - historySeconds)
        trail.tips.pop_front();
    std::vector<Eigen::Vector3d> points;
    for (const auto& [time, position] : trail.tips)
        points.push_back(position);
    trail.line->setPoints(points);
    trail.line->setVisible(points.size() > 1);
}

const GlLine* TrackedToolsDisplay::trail(const std::string& instrumentId) const
{
    const auto found = m_trails.find(instrumentId);
    return found == m_trails.end() ? nullptr : found->second.line.get();
}

const GlMesh* TrackedToolsDisplay::tool(const std::string& instrumentId) const
{
    const auto found = m_tools.find(instrumentId);
    return found == m_tools.end() ? nullptr : found->second.get();
}

Eigen::Matrix4d TrackedToolsDisplay::calibrationOf(const std::string& instrumentId) const
{
    const auto* calibrations = m_stream.components().get<InstrumentCalibrationDataComponent>();
    if (!calibrations)
        return Eigen::Matrix4d::Identity();
    const auto calibration = calibrations->calibration(instrumentId);
    return calibration ? calibration->matrix : Eigen::Matrix4d::Identity();
}

}  // namespace Tesselon
