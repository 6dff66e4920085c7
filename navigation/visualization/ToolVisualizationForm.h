#pragma once

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace Tesselon {

class TrackingInstrumentComboBox;

/// The widgets of the tool visualization panel, laid out on the panel by `setupUi`; the panel owns them.
/// The object names are what scripts and tests look widgets up by.
class ToolVisualizationForm
{
public:
    void setupUi(QWidget* panel);

    QPushButton* pushButton_startStop = nullptr;
    QPushButton* pushButton_updateRef = nullptr;
    QLabel* label_tool = nullptr;
    TrackingInstrumentComboBox* comboBox_tool = nullptr;
    QLabel* label = nullptr;
    TrackingInstrumentComboBox* comboBox_relTool = nullptr;
    QCheckBox* checkBox_rawFiducials = nullptr;
    QCheckBox* checkBox_linkViews = nullptr;
    QGroupBox* groupBox_mprOptions = nullptr;
    QCheckBox* checkBox_projectiveRendering = nullptr;
    QCheckBox* checkBox_includeRotations = nullptr;
    QCheckBox* checkBox_snapToClosestAxis = nullptr;
    QCheckBox* checkBox_ignoreInPlaneTranslation = nullptr;
};

}  // namespace Tesselon
