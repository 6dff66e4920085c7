#pragma once

class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace Tesselon {

class TrackingInstrumentComboBox;

/// The widgets of the live registration panel, laid out on the panel by `setupUi`; the panel owns them.
/// The object names are what scripts and tests look widgets up by.
class LiveTrackingPointRegistrationForm
{
public:
    void setupUi(QWidget* panel);

    QLabel* label_2 = nullptr;
    TrackingInstrumentComboBox* comboBox_tool = nullptr;
    QLabel* label = nullptr;
    TrackingInstrumentComboBox* comboBox_relTool = nullptr;
    QLabel* label_3 = nullptr;
    QComboBox* comboBox_registrationType = nullptr;
    QGroupBox* dwellCapture = nullptr;
    QDoubleSpinBox* dwellRadius = nullptr;
    QDoubleSpinBox* dwellDuration = nullptr;
    QLabel* dwellStatus = nullptr;
    QGroupBox* pointCorrespondences = nullptr;
    QPushButton* pushButtonRegister = nullptr;
    QGroupBox* registrationQuality = nullptr;
    QLabel* registrationResult = nullptr;
    QPushButton* pickTarget = nullptr;
    QPushButton* loadTarget = nullptr;
    QLabel* targetError = nullptr;

private:
    QGroupBox* buildDwellCapture(QWidget* panel);
    QGroupBox* buildQuality(QWidget* panel);
};

}  // namespace Tesselon
