#include "navigation/visualization/ToolNavigationVisualizationAlgorithm.h"

#include "host/core/model/DataList.h"
#include "host/stream/TrackingStream.h"

namespace Tesselon {

ToolNavigationVisualizationAlgorithm::ToolNavigationVisualizationAlgorithm(TrackingStream* stream)
    : m_stream(stream), m_toolVisualization(std::make_unique<ToolVisualizationAlgorithm>(stream))
{
    configureDefaults();
    // The saved configuration takes the tool mesh from the embedded algorithm; it must never be stale.
    m_toolVisualization->followMeshPath(toolMeshPath);
}

bool ToolNavigationVisualizationAlgorithm::createCompatible(const DataList& data, Algorithm** out)
{
    auto* stream = data.size() == 1 ? dynamic_cast<TrackingStream*>(data[0]) : nullptr;
    if (!stream)
        return false;
    if (out)
        *out = new ToolNavigationVisualizationAlgorithm(stream);
    return true;
}

void ToolNavigationVisualizationAlgorithm::configure(const Properties* properties)
{
    if (!properties)
        return;
    Algorithm::configure(properties);
    ToolVisualizationAlgorithm::fixAbsolutePath(toolMeshPath);
    m_toolVisualization->configureEmbedded(properties, toolMeshPath);
}

void ToolNavigationVisualizationAlgorithm::configuration(Properties* properties) const
{
    if (!properties)
        return;
    Algorithm::configuration(properties);
    m_toolVisualization->embeddedConfiguration(properties, toolMeshPath.name());
}

}  // namespace Tesselon
