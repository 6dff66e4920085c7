#include "navigation/calibration/WizardPage.h"

#include "host/gl/DisplayWidgetMulti.h"
#include "navigation/calibration/TrackingToolCalibrationWizardForm.h"

#include <QLabel>
#include <QMovie>

namespace Tesselon {

WizardPage::WizardPage(TrackingToolCalibrationWizardForm* ui, const QString& moviePath, bool complete)
    : m_ui(ui), m_complete(complete), m_movie(std::make_unique<QMovie>(moviePath))
{
}

WizardPage::~WizardPage() = default;

void WizardPage::setDisplay(DisplayWidgetMulti* display, GlVolumeView* view)
{
    m_display = display;
    m_view = view;
}

void WizardPage::startMovie()
{
    m_movie->start();
    const QSize frame = m_movie->currentImage().size();
    if (frame.width() > 0) {
        // Scaled by the label's height over the frame's width, then fitted keeping the aspect ratio: a
        // square animation becomes as high as the label.
        const double factor = static_cast<double>(m_ui->gifLabel->height()) / frame.width();
        const QSize target(static_cast<int>(frame.width() * factor),
                           static_cast<int>(frame.height() * factor));
        m_movie->setScaledSize(frame.scaled(target, Qt::KeepAspectRatio));
    }
    m_ui->gifLabel->setMovie(m_movie.get());
    m_ui->gifLabel->show();
}

void WizardPage::showView()
{
    if (m_display)
        m_display->layoutViews(DisplayWidgetMulti::Single3DLayout);
}

}  // namespace Tesselon
