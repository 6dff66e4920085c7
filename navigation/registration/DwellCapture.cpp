#include "navigation/registration/DwellCapture.h"

#include "host/core/base/Log.h"
#include "host/core/base/QtHelpers.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/TrackingStreamData.h"
#include "navigation/registration/PointsOnTrackingStream.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>

namespace Tesselon {
namespace {

// Long enough to average a tracker's noise well below a rest's radius, short enough not to blur arriving.
constexpr double noiseWindowSeconds = 0.2;

}  // namespace

DwellCapture::DwellCapture(PointsOnTrackingStream& points) : m_points(points)
{
    m_points.stream().newData.connect(this, &DwellCapture::onStreamData);
}

DwellCapture::~DwellCapture()
{
    disconnectAll();
}

void DwellCapture::setEnabled(bool enabled)
{
    std::lock_guard lock(m_mutex);
    if (enabled && !m_enabled) {
        m_detector.reset();
        m_recent.clear();
    }
    m_enabled = enabled;
}

bool DwellCapture::isEnabled() const
{
    std::lock_guard lock(m_mutex);
    return m_enabled;
}

void DwellCapture::setSettings(const DwellSettings& settings)
{
    std::lock_guard lock(m_mutex);
    m_detector = DwellDetector(settings);
    m_recent.clear();
}

DwellSettings DwellCapture::settings() const
{
    std::lock_guard lock(m_mutex);
    return m_detector.settings();
}

Eigen::Vector3d DwellCapture::meanSince(double time) const
{
    Eigen::Vector3d sum = Eigen::Vector3d::Zero();
    int count = 0;
    for (auto sample = m_recent.rbegin(); sample != m_recent.rend() && sample->time >= time;
         ++sample, ++count)
        sum += sample->tip;
    return sum / std::max(count, 1);
}

void DwellCapture::remember(double time, const Eigen::Vector3d& tip)
{
    m_recent.push_back({time, tip});
    // Enough to average the noise and to take a whole capturing window's raw tips.
    const double kept = m_detector.settings().duration + 2.0 * noiseWindowSeconds;
    while (m_recent.front().time < time - kept)
        m_recent.pop_front();
}

void DwellCapture::onStreamData(const std::shared_ptr<const StreamData>& sample)
{
    const auto tracking = std::dynamic_pointer_cast<const TrackingStreamData>(sample);
    if (!tracking)
        return;
    std::lock_guard lock(m_mutex);
    if (!m_enabled)
        return;
    const std::optional<Eigen::Vector3d> tip = m_points.trustedTip(*tracking);
    if (!tip)
        return;
    // The device's clock when it has one: a playback's samples arrive faster or slower than they were taken.
    const auto deviceTime = tracking->timestampDevice();
    const double seconds = deviceTime ? std::chrono::duration<double>(*deviceTime).count()
                                      : static_cast<double>(tracking->timestampArrival()) / 1000.0;
    remember(seconds, *tip);
    switch (m_detector.add(seconds, meanSince(seconds - noiseWindowSeconds))) {
        case DwellDetector::Event::Captured: {
            // The rest was judged on averaged tips; the point is the mean of the tips themselves.
            const Eigen::Vector3d point = meanSince(m_detector.rest().firstTime);
            QtHelpers::runOnMainThread(
                [this, point] {
                    m_points.addWorldPoint(point);
                    const int index = m_points.size() - 1;
                    Log::info("DwellCapture",
                              fmt::format("The tip rested: point {} taken at ({:.2f}, {:.2f}, "
                                          "{:.2f}) mm. Move on to the next landmark.",
                                          index + 1, point.x(), point.y(), point.z()));
                    captured.emitSignal(index);
                },
                0, &m_guiContext);
            break;
        }
        case DwellDetector::Event::MovedOn:
            QtHelpers::runOnMainThread([this] { movedOn.emitSignal(); }, 0, &m_guiContext);
            break;
        default:
            break;
    }
}

}  // namespace Tesselon
