#pragma once

#include "navigation/visualization/PathDeviationRecorder.h"

#include <Eigen/Core>

#include <QElapsedTimer>
#include <QGroupBox>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace Tesselon {

class Spline;

/// The "Planned vs actual" group of the navigation panel: the needle's figures against the selected path
/// as one line, and Record / Stop recording to write them to a CSV file (the time in seconds since Record).
class PathDeviationReadout : public QGroupBox
{
    Q_OBJECT
    /// Rows written since the last Record, for scripts.
    Q_PROPERTY(int recordedRows READ recordedRows)

public:
    explicit PathDeviationReadout(QWidget* parent = nullptr);

    /// Shows (and records) the figures of the tool pose against the path; either may be missing.
    void showDeviation(const Spline* path, const std::optional<Eigen::Matrix4d>& toolToWorld);
    int recordedRows() const { return m_recorder.rows(); }

private:
    void onRecord(bool record);
    void chooseFile();

    QLabel* m_text;
    QLineEdit* m_file;
    QPushButton* m_record;
    PathDeviationRecorder m_recorder;
    QElapsedTimer m_clock;
};

}  // namespace Tesselon
