#pragma once

#include "navigation/calibration/WizardPage.h"

namespace Tesselon {

/// A step that records a motion of the tool (pivoting about its tip, or turning about its axis): the
/// instruction, Start/Stop and the animation. Complete once the wizard accepted a recording.
class TrackRecordPage : public WizardPage
{
    Q_OBJECT

public:
    TrackRecordPage(TrackingToolCalibrationWizardForm* ui, QString title, QString instructions,
                    const QString& moviePath);

    void begin() override;
    void end() override;
    QString title() const override { return m_title; }

private:
    QString m_title;
    QString m_instructions;
};

}  // namespace Tesselon
