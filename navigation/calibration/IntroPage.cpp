#include "navigation/calibration/IntroPage.h"

#include "navigation/calibration/TrackingToolCalibrationWizardForm.h"

#include <QLabel>

namespace Tesselon {

IntroPage::IntroPage(TrackingToolCalibrationWizardForm* ui)
    : WizardPage(ui, ":/Navigation/ToolCalibration/dip.gif", true)
{
}

void IntroPage::begin()
{
    ui()->titleLabel->setText(tr("This wizard will guide you through the tracking tool calibration process"));
    ui()->instrumentsWidget->show();
    startMovie();
    showView();
}

}  // namespace Tesselon
