#include "navigation/calibration/TrackRecordPage.h"

#include "navigation/calibration/TrackingToolCalibrationWizardForm.h"

#include <QLabel>
#include <QMovie>
#include <QPushButton>

namespace Tesselon {

TrackRecordPage::TrackRecordPage(TrackingToolCalibrationWizardForm* ui, QString title, QString instructions,
                                 const QString& moviePath)
    : WizardPage(ui, moviePath, false), m_title(std::move(title)), m_instructions(std::move(instructions))
{
}

void TrackRecordPage::begin()
{
    ui()->titleLabel->setText(m_instructions);
    ui()->startStopButton->show();
    ui()->nextButton->hide();
    startMovie();
    showView();
}

void TrackRecordPage::end()
{
    movie()->stop();
}

}  // namespace Tesselon
