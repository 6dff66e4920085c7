#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QMovie;

namespace Tesselon {

class DisplayWidgetMulti;
class GlVolumeView;
class TrackingToolCalibrationWizardForm;

/// One step of the calibration wizard. Not a widget: when it becomes current it fills the instruction
/// label, shows the controls it needs and plays its animation; the wizard hides the optional areas first.
class WizardPage : public QObject
{
    Q_OBJECT

public:
    /// `ui` must outlive the page; the animation is read from `moviePath` (a resource).
    WizardPage(TrackingToolCalibrationWizardForm* ui, const QString& moviePath, bool complete);
    ~WizardPage() override;

    virtual void begin() {}
    virtual void end() {}
    virtual QString title() const { return {}; }
    virtual bool isComplete() const { return m_complete; }
    virtual void setComplete(bool complete) { m_complete = complete; }

    /// The display and its 3D view the page shows, given by the wizard.
    void setDisplay(DisplayWidgetMulti* display, GlVolumeView* view);
    /// Plays the animation in the animation label, as high as the label.
    void startMovie();

protected:
    TrackingToolCalibrationWizardForm* ui() const { return m_ui; }
    QMovie* movie() const { return m_movie.get(); }
    /// Brings the 3D view to the front: the wizard shows the tool there.
    void showView();

private:
    TrackingToolCalibrationWizardForm* m_ui;
    DisplayWidgetMulti* m_display = nullptr;
    GlVolumeView* m_view = nullptr;
    bool m_complete;
    std::unique_ptr<QMovie> m_movie;
};

}  // namespace Tesselon
