#include "host/stream/TrackingAccuracyMeter.h"

#include "host/stream/TrackingStreamData.h"

#include <cmath>

namespace Tesselon {
namespace {

constexpr std::chrono::milliseconds longestLag(300);

}  // namespace

TrackingAccuracyMeter::TrackingAccuracyMeter(TrackingStream& source, Truth truth) : m_truth(std::move(truth))
{
    source.newData.connect(this, [this](std::shared_ptr<const StreamData> sample) {
        const auto deviceTime = sample->timestampDevice();
        std::lock_guard lock(m_mutex);
        if (deviceTime)
            m_emitted.emplace(*deviceTime, Clock::now());
    });
}

TrackingAccuracyMeter::~TrackingAccuracyMeter()
{
    disconnectAll();
}

void TrackingAccuracyMeter::watch(TrackingStream& lastStageInput, TrackingStream& output)
{
    lastStageInput.newData.connect(
        this, [this](std::shared_ptr<const StreamData> sample) { record(m_before, *sample); });
    output.newData.connect(this,
                           [this](std::shared_ptr<const StreamData> sample) { record(m_after, *sample); });
}

void TrackingAccuracyMeter::record(std::map<std::string, std::vector<Observation>>& into,
                                   const StreamData& sample)
{
    const auto* tracking = dynamic_cast<const TrackingStreamData*>(&sample);
    // Samples are matched with the truth and with the source's emission through their device time.
    if (!tracking || !sample.timestampDevice())
        return;
    const auto received = Clock::now();
    std::lock_guard lock(m_mutex);
    for (const TrackingInstrument& instrument : tracking->instruments()) {
        if (!instrument.visible || instrument.quality <= 0.0)
            continue;
        into[instrument.id.ID()].push_back(
            {*sample.timestampDevice(), instrument.matrix.topRightCorner<3, 1>(), received});
        if (&into == &m_after)
            m_names[instrument.id.ID()] = instrument.id.name();
    }
}

double TrackingAccuracyMeter::rmsError(const std::string& id, const std::vector<Observation>& observations,
                                       std::chrono::milliseconds delay) const
{
    double sum = 0.0;
    std::size_t count = 0;
    for (const Observation& observation : observations) {
        const auto truth = m_truth(id, observation.deviceTime - delay);
        if (!truth)
            continue;
        sum += (observation.position - truth->topRightCorner<3, 1>()).squaredNorm();
        ++count;
    }
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

double TrackingAccuracyMeter::bestLag(const std::string& id,
                                      const std::vector<Observation>& observations) const
{
    std::chrono::milliseconds best(0);
    double bestError = rmsError(id, observations, best);
    for (std::chrono::milliseconds delay(1); delay <= longestLag; ++delay) {
        if (const double error = rmsError(id, observations, delay); error < bestError) {
            bestError = error;
            best = delay;
        }
    }
    return std::chrono::duration<double, std::milli>(best).count();
}

TrackingAccuracyMeter::InstrumentReport TrackingAccuracyMeter::reportFor(
    const std::string& id, const std::vector<Observation>& after) const
{
    InstrumentReport report;
    report.id = id;
    report.name = m_names.at(id);
    report.samples = after.size();
    if (after.size() > 1) {
        const std::chrono::duration<double> span = after.back().received - after.front().received;
        report.rateHz = span.count() > 0.0 ? static_cast<double>(after.size() - 1) / span.count() : 0.0;
    }
    double latencySum = 0.0;
    std::size_t latencies = 0;
    for (const Observation& observation : after) {
        if (const auto emitted = m_emitted.find(observation.deviceTime); emitted != m_emitted.end()) {
            latencySum +=
                std::chrono::duration<double, std::micro>(observation.received - emitted->second).count();
            ++latencies;
        }
    }
    report.latencyMicroseconds = latencies ? latencySum / static_cast<double>(latencies) : 0.0;
    const auto before = m_before.find(id);
    report.errorBeforeMm = before == m_before.end() ? 0.0 : rmsError(id, before->second, {});
    report.errorAfterMm = rmsError(id, after, {});
    report.lagMs = bestLag(id, after);
    return report;
}

std::vector<TrackingAccuracyMeter::InstrumentReport> TrackingAccuracyMeter::report() const
{
    std::lock_guard lock(m_mutex);
    std::vector<InstrumentReport> reports;
    for (const auto& [id, observations] : m_after)
        reports.push_back(reportFor(id, observations));
    return reports;
}

}  // namespace Tesselon
