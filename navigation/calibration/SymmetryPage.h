#pragma once

#include "navigation/calibration/WizardPage.h"

namespace Tesselon {

/// The last step: checks the needle direction, which a pivot and a turn cannot tell from its reverse, and
/// offers Flip.
class SymmetryPage : public WizardPage
{
    Q_OBJECT

public:
    explicit SymmetryPage(TrackingToolCalibrationWizardForm* ui);

    void begin() override;
    QString title() const override { return tr("Flip"); }
};

}  // namespace Tesselon
