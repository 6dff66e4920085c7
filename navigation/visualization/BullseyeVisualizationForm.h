#pragma once

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace Tesselon {

/// The widgets of the bullseye panel, laid out on the panel by `setupUi`; the panel owns them. The object
/// names are what scripts and tests look widgets up by.
class BullseyeVisualizationForm
{
public:
    void setupUi(QWidget* panel);

    QVBoxLayout* verticalLayout = nullptr;
    QHBoxLayout* horizontalLayout_4 = nullptr;
    QPushButton* pushButton_startStop = nullptr;
    QLabel* label_status = nullptr;
    QPushButton* pushButton_center = nullptr;
    /// The planned-versus-actual figures of the tool against the path, below the buttons.
    QLabel* label_readout = nullptr;
};

}  // namespace Tesselon
