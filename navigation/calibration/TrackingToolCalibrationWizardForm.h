#pragma once

class QFrame;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace Tesselon {

class TrackingInstrumentComboBox;

/// The widgets of the calibration wizard, laid out on the wizard by `setupUi`; the wizard owns them. Pages
/// show and hide its areas. The object names are what scripts and tests look widgets up by.
class TrackingToolCalibrationWizardForm
{
public:
    void setupUi(QWidget* wizard);

    QVBoxLayout* verticalLayout = nullptr;
    QWidget* wizardStepsLabels = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QWidget* mainWidget = nullptr;
    QWidget* instructionsWidget = nullptr;
    QLabel* titleLabel = nullptr;
    QWidget* instrumentsWidget = nullptr;
    QLabel* instrumentsLabel = nullptr;
    TrackingInstrumentComboBox* instrumentsComboBox = nullptr;
    QWidget* calibrationWidget = nullptr;
    QWidget* calibrationProgressWidget = nullptr;
    QProgressBar* calibrationProgressBar = nullptr;
    /// Below the progress bar: what the recording has covered so far.
    QLabel* recordingFeedback = nullptr;
    QLabel* gifLabel = nullptr;
    QWidget* guidedExpertWidget = nullptr;
    QWidget* flipWidget = nullptr;
    QPushButton* flipButton = nullptr;
    QWidget* backNextWidget = nullptr;
    QPushButton* backButton = nullptr;
    QPushButton* startStopButton = nullptr;
    QPushButton* nextButton = nullptr;
    QFrame* line = nullptr;

private:
    void buildInstructions();
    void buildInstruments();
    void buildCalibration();
    void buildButtons();
    QVBoxLayout* m_pageLayout = nullptr;
};

}  // namespace Tesselon
