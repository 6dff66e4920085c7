#pragma once

#include "navigation/calibration/WizardPage.h"

namespace Tesselon {

/// The wizard's first step: what the wizard does, and the choice of the instrument to calibrate.
class IntroPage : public WizardPage
{
    Q_OBJECT

public:
    explicit IntroPage(TrackingToolCalibrationWizardForm* ui);

    void begin() override;
    QString title() const override { return tr("Start"); }
};

}  // namespace Tesselon
