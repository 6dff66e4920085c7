#pragma once

class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QVBoxLayout;
class QWidget;

namespace Tesselon {

class PathDeviationReadout;

/// The widgets of the navigation panel, laid out on the panel by `setupUi`; the panel owns them. The
/// object names are what scripts and tests look widgets up by.
class ToolNavigationVisualizationForm
{
public:
    void setupUi(QWidget* panel);

    QComboBox* comboBox_splines = nullptr;
    QPushButton* pushButton_selectSpline = nullptr;
    QVBoxLayout* verticalLayout_distanceWidget = nullptr;
    QLabel* label = nullptr;
    QDoubleSpinBox* doubleSpinBox_radius = nullptr;

    QGroupBox* groupBox = nullptr;
    QLabel* label_2 = nullptr;
    QComboBox* comboBox_type = nullptr;
    QLabel* label_3 = nullptr;
    QDoubleSpinBox* doubleSpinBox_growth = nullptr;
    QLabel* label_4 = nullptr;
    QComboBox* comboBox_separation = nullptr;
    QLabel* label_5 = nullptr;
    QSpinBox* spinBox_number = nullptr;

    QGroupBox* groupBox_2 = nullptr;
    QLabel* label_6 = nullptr;
    QComboBox* comboBox_link = nullptr;
    QLabel* label_9 = nullptr;
    QSpinBox* spinBox_rotOffset = nullptr;

    QGroupBox* groupBox_3 = nullptr;
    QLabel* label_7 = nullptr;
    QComboBox* comboBox_visibility = nullptr;
    QLabel* label_8 = nullptr;
    QComboBox* comboBox_centerLine = nullptr;

    PathDeviationReadout* groupBox_readout = nullptr;
};

}  // namespace Tesselon
