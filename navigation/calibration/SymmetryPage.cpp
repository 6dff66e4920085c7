#include "navigation/calibration/SymmetryPage.h"

#include "navigation/calibration/TrackingToolCalibrationWizardForm.h"

#include <QLabel>

namespace Tesselon {

SymmetryPage::SymmetryPage(TrackingToolCalibrationWizardForm* ui)
    : WizardPage(ui, ":/Navigation/ToolCalibration/flip.gif", true)
{
}

void SymmetryPage::begin()
{
    ui()->titleLabel->setText(tr(
        "Lift the tool from the calibration dip. If the pointer moves inside the plane, press <b>Flip</b>"));
    ui()->flipWidget->show();
    startMovie();
    showView();
}

}  // namespace Tesselon
