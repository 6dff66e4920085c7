#pragma once

#include "host/gui/DefaultAlgorithmController.h"

class QLabel;
class QPushButton;

namespace Tesselon {

class ToolCalibrationAlgorithm;

/// The tool calibration's panel: the default editors and Compute, "Rotate 180" to reverse the needle
/// direction of the current calibration, and the result of the last computation.
class ToolCalibrationController : public DefaultAlgorithmController
{
    Q_OBJECT

public:
    explicit ToolCalibrationController(ToolCalibrationAlgorithm* algorithm);

    void init() override;
    /// The tip and residuals of the calibration the sequences now hold; empty before a success.
    QString resultText() const;

private:
    void showResult();

    ToolCalibrationAlgorithm* m_algorithm;
    QPushButton* m_rotateButton = nullptr;
    QLabel* m_result = nullptr;
};

}  // namespace Tesselon
