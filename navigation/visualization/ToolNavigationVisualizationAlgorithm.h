#pragma once

#include "host/core/config/Parameter.h"
#include "host/core/model/Algorithm.h"
#include "navigation/visualization/ToolVisualizationAlgorithm.h"

#include <memory>

namespace Tesselon {

class TrackingStream;

/// The algorithm behind the navigation view, where a tracked needle is guided along a planned path. It
/// tracks the tool through an embedded `ToolVisualizationAlgorithm` and keeps the tool's mesh path; the
/// path, the rings and the camera belong to its panel.
///
/// Its configuration holds the embedded algorithm's keys too, with the tool mesh under "toolMeshPath".
class ToolNavigationVisualizationAlgorithm : public Algorithm
{
public:
    /// The stream must outlive the algorithm.
    explicit ToolNavigationVisualizationAlgorithm(TrackingStream* stream);

    /// Exactly one data object, a `TrackingStream`.
    static bool createCompatible(const DataList& data, Algorithm** out);

    void configure(const Properties* properties) override;
    void configuration(Properties* properties) const override;
    void compute() override {}

    ToolVisualizationAlgorithm& toolVisualization() const { return *m_toolVisualization; }
    TrackingStream* trackingStream() const { return m_stream; }

    Parameter<std::string> toolMeshPath{"toolMeshPath", ":/TrackingPointer.obj", this};

private:
    TrackingStream* m_stream;
    std::unique_ptr<ToolVisualizationAlgorithm> m_toolVisualization;
};

}  // namespace Tesselon
