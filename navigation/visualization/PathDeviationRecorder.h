#pragma once

#include <fstream>
#include <string>

namespace Tesselon {

struct PathDeviation;

/// Writes the planned-versus-actual figures over time to a CSV file, one row per update, for studies:
///
///     time_s,depth_remaining_mm,lateral_distance_mm,axis_angle_deg,projected_miss_mm,tip_x,tip_y,tip_z
///
/// A missing projected miss is an empty field. Rows are flushed as they come, so a crash keeps them.
class PathDeviationRecorder
{
public:
    /// Starts a new file (replacing one there) and writes the header; false, with a logged error naming
    /// the file, when it cannot be written.
    bool start(const std::string& path);
    /// Appends a row when recording; a write that fails is logged and ends the recording.
    void add(double timeSeconds, const PathDeviation& deviation);
    void stop();
    bool isRecording() const { return m_file.is_open(); }
    const std::string& path() const { return m_path; }
    int rows() const { return m_rows; }

private:
    std::ofstream m_file;
    std::string m_path;
    int m_rows = 0;
};

}  // namespace Tesselon
