#pragma once

#include "app/Command.h"
#include "app/StreamPipeline.h"

namespace Tesselon {

/// `tesselon stream`: runs a tracking source through the chosen derived streams and reports, per output
/// instrument, the sample rate, the latency the chain adds and the error before and after smoothing.
class StreamCommand : public Command
{
public:
    StreamCommand(CLI::App& program, HostContext& context);
    int run() override;

private:
    void applySourceAndOutputs();
    void printText(const StreamPipeline& pipeline,
                   const std::vector<TrackingAccuracyMeter::InstrumentReport>& reports);
    void printJson(const StreamPipeline& pipeline,
                   const std::vector<TrackingAccuracyMeter::InstrumentReport>& reports);

    StreamPipeline::Options m_options;
    bool m_simulate = false;
    std::string m_igtl;
    std::string m_serveFormat = "transform";
    std::vector<std::string> m_serveNames;
    std::string m_smoothing;
    std::string m_combination;
    double m_duration = 3.0;
};

}  // namespace Tesselon
