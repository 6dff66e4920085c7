#include "navigation/visualization/PathDeviationRecorder.h"

#include "host/core/base/Log.h"
#include "navigation/visualization/PathDeviation.h"

#include <fmt/format.h>

namespace Tesselon {
namespace {

constexpr const char* category = "PathDeviationRecorder";

}  // namespace

bool PathDeviationRecorder::start(const std::string& path)
{
    stop();
    m_file.open(path, std::ios::out | std::ios::trunc);
    m_file << "time_s,depth_remaining_mm,lateral_distance_mm,axis_angle_deg,projected_miss_mm,tip_x,tip_y,"
              "tip_z\n"
           << std::flush;
    if (!m_file) {
        Log::error(category, fmt::format("Cannot write the read-out to {}; nothing is recorded.", path));
        m_file.close();
        return false;
    }
    m_path = path;
    m_rows = 0;
    return true;
}

void PathDeviationRecorder::add(double timeSeconds, const PathDeviation& deviation)
{
    if (!isRecording())
        return;
    const std::string miss = deviation.projectedMiss ? fmt::format("{:.3f}", *deviation.projectedMiss) : "";
    m_file << fmt::format("{:.3f},{:.3f},{:.3f},{:.3f},{},{:.3f},{:.3f},{:.3f}\n", timeSeconds,
                          deviation.depthRemaining, deviation.lateralDistance, deviation.axisAngleDegrees,
                          miss, deviation.tip.x(), deviation.tip.y(), deviation.tip.z())
           << std::flush;
    if (!m_file) {
        Log::error(category,
                   fmt::format("Writing the read-out to {} failed after {} rows; the recording stops.",
                               m_path, m_rows));
        m_file.close();
        return;
    }
    ++m_rows;
}

void PathDeviationRecorder::stop()
{
    if (m_file.is_open())
        m_file.close();
}

}  // namespace Tesselon
