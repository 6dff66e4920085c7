#include "host/stream/DwellDetector.h"

#include <algorithm>
#include <cmath>

namespace Tesselon {
namespace {

struct RestSpan
{
    std::size_t earliest;  ///< the rest may not reach back before this sample
    std::size_t captured;  ///< the sample that completed it
    std::size_t end;       ///< the sample that moved on
};

/// The rest around a capture, reaching back to when the tip arrived: a still tip's first second is often
/// cut from the capture window by the pivoting that follows, and it is as good a measurement as the rest.
DwellDetector::Rest wholeRest(const std::vector<DwellDetector::Sample>& samples, RestSpan span,
                              const Eigen::Vector3d& captured, double moveOnDistance)
{
    const auto near = [&](const DwellDetector::Sample& sample) {
        return sample.tip.allFinite() && (sample.tip - captured).norm() <= moveOnDistance;
    };
    std::size_t first = span.captured;
    while (first > span.earliest && near(samples[first - 1]))
        --first;
    DwellDetector::Rest rest{Eigen::Vector3d::Zero(), samples[first].time, samples[span.end - 1].time, 0};
    for (std::size_t i = first; i < span.end; ++i)
        if (near(samples[i])) {
            rest.meanTip += samples[i].tip;
            ++rest.sampleCount;
        }
    rest.meanTip /= static_cast<double>(rest.sampleCount);
    return rest;
}

/// Settings a user could not have meant fall back to the defaults; a rest must reach past its own radius, or
/// the tip could leave it while still resting.
DwellSettings usable(DwellSettings settings)
{
    const DwellSettings defaults;
    const auto orDefault = [](double value, double fallback) {
        return std::isfinite(value) && value >= 0 ? value : fallback;
    };
    settings.radius = orDefault(settings.radius, defaults.radius);
    // A rest of no duration would be captured and left by the same sample.
    settings.duration =
        settings.duration > 0 ? orDefault(settings.duration, defaults.duration) : defaults.duration;
    settings.moveOnDistance =
        std::max(orDefault(settings.moveOnDistance, defaults.moveOnDistance), settings.radius);
    return settings;
}

}  // namespace

DwellDetector::DwellDetector(Settings settings) : m_settings(usable(settings)) {}

DwellDetector::Event DwellDetector::add(double time, const Eigen::Vector3d& tip)
{
    // A rest is measured in time, so a sample from the past or nowhere cannot extend or start one.
    if (!std::isfinite(time) || !tip.allFinite() || (m_lastTime && time < *m_lastTime))
        return Event::Ignored;
    const bool first = !m_lastTime;
    m_lastTime = time;
    if (first) {
        m_anchor = tip;  // wait for the tip to arrive somewhere
        return Event::None;
    }
    if (m_anchor && (tip - *m_anchor).norm() <= m_settings.moveOnDistance) {
        if (m_resting)
            extendRest(time, tip);
        return Event::None;
    }
    m_anchor.reset();
    if (!m_resting)
        return watch(time, tip);
    m_resting = false;
    watch(time, tip);  // the sample that left a rest starts watching for the next
    return Event::MovedOn;
}

DwellDetector::Event DwellDetector::watch(double time, const Eigen::Vector3d& tip)
{
    m_window.push_back({time, tip});
    m_windowSum += tip;
    shrinkWindow();
    if (m_window.back().time - m_window.front().time < m_settings.duration)
        return Event::None;
    startRest();
    return Event::Captured;
}

void DwellDetector::reset()
{
    *this = DwellDetector(m_settings);
}

std::vector<DwellDetector::Rest> DwellDetector::findRests(const std::vector<Sample>& samples,
                                                          Settings settings)
{
    DwellDetector detector(settings);
    std::vector<Rest> rests;
    std::size_t previousEnd = 0;
    std::size_t capturedAt = 0;
    Eigen::Vector3d captured = Eigen::Vector3d::Zero();
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const Event event = detector.add(samples[i].time, samples[i].tip);
        if (event == Event::Captured) {
            capturedAt = i;
            captured = detector.rest().meanTip;
        } else if (event == Event::MovedOn) {
            rests.push_back(wholeRest(samples, {previousEnd, capturedAt, i}, captured,
                                      detector.m_settings.moveOnDistance));
            previousEnd = i;
        }
    }
    return rests;
}

void DwellDetector::shrinkWindow()
{
    const auto outside = [this](const Sample& sample) {
        return (sample.tip - windowMean()).norm() > m_settings.radius;
    };
    while (m_window.size() > 1 && std::any_of(m_window.begin(), m_window.end(), outside)) {
        m_windowSum -= m_window.front().tip;
        m_window.pop_front();
    }
}

Eigen::Vector3d DwellDetector::windowMean() const
{
    return m_windowSum / static_cast<double>(m_window.size());
}

void DwellDetector::startRest()
{
    m_rest = {windowMean(), m_window.front().time, m_window.back().time, m_window.size()};
    m_restSum = m_windowSum;
    m_anchor = m_rest.meanTip;
    m_resting = true;
    m_window.clear();
    m_windowSum.setZero();
}

void DwellDetector::extendRest(double time, const Eigen::Vector3d& tip)
{
    m_restSum += tip;
    ++m_rest.sampleCount;
    m_rest.lastTime = time;
    m_rest.meanTip = m_restSum / static_cast<double>(m_rest.sampleCount);
}

}  // namespace Tesselon
