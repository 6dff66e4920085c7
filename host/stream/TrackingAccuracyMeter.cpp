#include "host/stream/TrackingAccuracyMeter.h"

#include "host/stream/TrackingStreamData.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Tesselon {
namespace {

constexpr std::chrono::milliseconds longestLag(300);
constexpr std::chrono::milliseconds coarseLagStep(5);
// Emissions a derived stream may still be working on: seconds of samples at any usual rate.
constexpr std::size_t rememberedEmissions = 4096;

}  // namespace

TrackingAccuracyMeter::TrackingAccuracyMeter(TrackingStream& source, Truth truth) : m_truth(std::move(truth))
{
    source.newData.connect(this, [this](std::shared_ptr<const StreamData> sample) {
        if (const auto deviceTime = sample->timestampDevice())
            noteEmission(*deviceTime);
    });
}

TrackingAccuracyMeter::~TrackingAccuracyMeter()
{
    disconnectAll();
}

void TrackingAccuracyMeter::watch(TrackingStream& lastStageInput, TrackingStream& output)
{
    lastStageInput.newData.connect(
        this, [this](std::shared_ptr<const StreamData> sample) { record(*sample, false); });
    output.newData.connect(this, [this](std::shared_ptr<const StreamData> sample) { record(*sample, true); });
}

void TrackingAccuracyMeter::noteEmission(DeviceTime deviceTime)
{
    const auto now = Clock::now();
    std::lock_guard lock(m_mutex);
    m_emitted.insert_or_assign(deviceTime.count(), now);
    m_emissionOrder.emplace_back(deviceTime, now);
    if (m_emissionOrder.size() <= rememberedEmissions)
        return;
    const auto [oldest, emitted] = m_emissionOrder.front();
    m_emissionOrder.pop_front();
    // A time emitted again since is still wanted.
    if (const auto entry = m_emitted.find(oldest.count());
        entry != m_emitted.end() && entry->second == emitted)
        m_emitted.erase(entry);
}

void TrackingAccuracyMeter::record(const StreamData& sample, bool output)
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
        const std::string& id = instrument.id.ID();
        const Observation observation{*sample.timestampDevice(), instrument.matrix.topRightCorner<3, 1>()};
        Instrument& figures = m_instruments[id];
        if (output) {
            if (figures.name != instrument.id.name())
                figures.name = instrument.id.name();
            recordOutput(figures, observation, received);
        }
        if (const auto error = squaredError(id, observation, {}))
            (output ? figures.squaredErrorAfter : figures.squaredErrorBefore).add(*error);
    }
}

void TrackingAccuracyMeter::recordOutput(Instrument& instrument, const Observation& observation,
                                         Clock::time_point received)
{
    if (instrument.samples++ == 0)
        instrument.first = received;
    instrument.last = received;
    if (const auto emitted = m_emitted.find(observation.deviceTime.count()); emitted != m_emitted.end())
        instrument.latencyMicroseconds.add(
            std::chrono::duration<double, std::micro>(received - emitted->second).count());
    instrument.newest.push_back(observation);
    if (instrument.newest.size() > lagWindow)
        instrument.newest.pop_front();
}

std::optional<double> TrackingAccuracyMeter::squaredError(const std::string& id,
                                                          const Observation& observation,
                                                          std::chrono::milliseconds delay) const
{
    const auto truth = m_truth(id, observation.deviceTime - delay);
    if (!truth)
        return std::nullopt;
    return (observation.position - truth->topRightCorner<3, 1>()).squaredNorm();
}

std::chrono::milliseconds TrackingAccuracyMeter::bestLag(const std::string& id,
                                                         const std::deque<Observation>& observations,
                                                         std::chrono::milliseconds from,
                                                         std::chrono::milliseconds to,
                                                         std::chrono::milliseconds step) const
{
    std::chrono::milliseconds best(0);
    double bestError = std::numeric_limits<double>::infinity();
    for (std::chrono::milliseconds delay = from; delay <= to; delay += step) {
        RunningMean error;
        for (const Observation& observation : observations)
            if (const auto squared = squaredError(id, observation, delay))
                error.add(*squared);
        if (error.count == 0)
            return {};
        if (error.mean < bestError) {
            bestError = error.mean;
            best = delay;
        }
    }
    return best;
}

double TrackingAccuracyMeter::lagMs(const std::string& id, const std::deque<Observation>& observations) const
{
    // Coarse to fine: the error changes smoothly with the delay, so its minimum lies near the coarse one.
    const std::chrono::milliseconds coarse = bestLag(id, observations, {}, longestLag, coarseLagStep);
    const std::chrono::milliseconds fine =
        bestLag(id, observations, std::max(coarse - coarseLagStep, std::chrono::milliseconds(0)),
                std::min(coarse + coarseLagStep, longestLag), std::chrono::milliseconds(1));
    return std::chrono::duration<double, std::milli>(fine).count();
}

std::vector<TrackingAccuracyMeter::InstrumentReport> TrackingAccuracyMeter::report() const
{
    std::lock_guard lock(m_mutex);
    std::vector<InstrumentReport> reports;
    for (const auto& [id, instrument] : m_instruments) {
        if (instrument.samples == 0)
            continue;
        InstrumentReport report{.id = id, .name = instrument.name, .samples = instrument.samples};
        const std::chrono::duration<double> span = instrument.last - instrument.first;
        if (instrument.samples > 1 && span.count() > 0.0)
            report.rateHz = static_cast<double>(instrument.samples - 1) / span.count();
        report.latencyMicroseconds = instrument.latencyMicroseconds.mean;
        report.errorBeforeMm = std::sqrt(instrument.squaredErrorBefore.mean);
        report.errorAfterMm = std::sqrt(instrument.squaredErrorAfter.mean);
        report.lagMs = lagMs(id, instrument.newest);
        reports.push_back(std::move(report));
    }
    return reports;
}

}  // namespace Tesselon
