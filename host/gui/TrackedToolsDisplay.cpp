#include "host/gui/TrackedToolsDisplay.h"

#include "host/gl/GlMesh.h"
#include "host/gl/ViewGroup.h"
#include "host/stream/InstrumentCalibrationDataComponent.h"
#include "host/stream/TrackingStream.h"

#include <QTimer>

namespace Tesselon {
namespace {

constexpr int refreshMilliseconds = 33;
const Eigen::Vector3d toolColour(0.95, 0.85, 0.35);

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
}

TrackedToolsDisplay::~TrackedToolsDisplay()
{
    for (auto& [id, tool] : m_tools)
        m_views.removeObject(tool.get());
}

void TrackedToolsDisplay::refresh()
{
    const Eigen::Matrix4d streamToWorld = m_stream.matrix();
    for (const TrackingInstrument& instrument : m_stream.instruments()) {
        const std::string id = instrument.id.ID();
        auto& tool = m_tools[id];
        if (!tool) {
            tool = std::make_unique<GlMesh>(m_toolMesh);
            tool->setName(id);
            tool->setColor(toolColour);
            m_views.addObject(tool.get());
        }
        const bool seen = instrument.visible && instrument.quality > 0.0 && instrument.matrix.allFinite();
        tool->setVisible(seen);
        if (seen)
            tool->setMatrix(streamToWorld * instrument.matrix * calibrationOf(id));
    }
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
