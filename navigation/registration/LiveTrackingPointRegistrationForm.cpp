#include "navigation/registration/LiveTrackingPointRegistrationForm.h"

#include "host/gui/QtWidgetHelpers.h"
#include "host/gui/TrackingInstrumentComboBox.h"
#include "host/stream/DwellDetector.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace Tesselon {
namespace {

using QtHelpers::named;

QDoubleSpinBox* spinBox(const char* objectName, double minimum, double maximum, double value,
                        const QString& suffix, QWidget* parent)
{
    auto* box = named(new QDoubleSpinBox(parent), objectName);
    box->setRange(minimum, maximum);
    box->setSingleStep(0.1);
    box->setDecimals(1);
    box->setValue(value);
    box->setSuffix(suffix);
    QtHelpers::ignoreWheelUnlessFocused(box);
    return box;
}

QLabel* wrappingLabel(const char* objectName, QWidget* parent)
{
    auto* label = named(new QLabel(parent), objectName);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

void LiveTrackingPointRegistrationForm::setupUi(QWidget* panel)
{
    panel->setObjectName("LiveTrackingPointRegistrationController");
    panel->setWindowTitle(QWidget::tr("Form"));
    panel->resize(532, 219);
    auto* grid = named(new QGridLayout(panel), "gridLayout");

    label_2 = named(new QLabel(QWidget::tr("Tracking target:"), panel), "label_2");
    comboBox_tool = named(new TrackingInstrumentComboBox(true, panel), "comboBox_tool");
    label = named(new QLabel(QWidget::tr("Relative to:"), panel), "label");
    comboBox_relTool = named(new TrackingInstrumentComboBox(true, panel), "comboBox_relTool");
    label_3 = named(new QLabel(QWidget::tr("Registration type:"), panel), "label_3");
    comboBox_registrationType = named(new QComboBox(panel), "comboBox_registrationType");
    comboBox_registrationType->addItems({QWidget::tr("Global tracking"),
                                         QWidget::tr("Adjust registration of volume"),
                                         QWidget::tr("Adjust calibration of relative tracker")});
    pointCorrespondences =
        named(new QGroupBox(QWidget::tr("Point Correspondences"), panel), "pointCorrespondences");
    pushButtonRegister = named(new QPushButton(QWidget::tr("Register"), panel), "pushButtonRegister");

    grid->addWidget(label_2, 0, 0);
    grid->addWidget(comboBox_tool, 0, 1);
    grid->addWidget(label, 1, 0);
    grid->addWidget(comboBox_relTool, 1, 1);
    grid->addWidget(label_3, 2, 0);
    grid->addWidget(comboBox_registrationType, 2, 1);
    grid->addWidget(buildDwellCapture(panel), 3, 0, 1, 2);
    grid->addWidget(pointCorrespondences, 4, 0, 1, 2);
    grid->addWidget(pushButtonRegister, 5, 0, 1, 2);
    grid->addWidget(buildQuality(panel), 6, 0, 1, 2);
}

QGroupBox* LiveTrackingPointRegistrationForm::buildDwellCapture(QWidget* panel)
{
    const DwellSettings defaults;
    dwellCapture = named(new QGroupBox(QWidget::tr("Capture when the tip rests"), panel), "dwellCapture");
    dwellCapture->setCheckable(true);
    dwellCapture->setChecked(false);
    dwellCapture->setToolTip(
        QWidget::tr("Takes a tracked point by itself when the pointer's tip stays within "
                    "the distance for the time; move on to take the next."));
    dwellRadius = spinBox("dwellRadius", 0.1, 5.0, defaults.radius, QWidget::tr(" mm"), dwellCapture);
    dwellDuration = spinBox("dwellDuration", 0.2, 10.0, defaults.duration, QWidget::tr(" s"), dwellCapture);
    dwellStatus = wrappingLabel("dwellStatus", dwellCapture);
    auto* layout = new QFormLayout(dwellCapture);
    auto* settings = new QHBoxLayout();
    settings->addWidget(new QLabel(QWidget::tr("Within"), dwellCapture));
    settings->addWidget(dwellRadius);
    settings->addWidget(new QLabel(QWidget::tr("for"), dwellCapture));
    settings->addWidget(dwellDuration);
    settings->addStretch();
    layout->addRow(settings);
    layout->addRow(dwellStatus);
    return dwellCapture;
}

QGroupBox* LiveTrackingPointRegistrationForm::buildQuality(QWidget* panel)
{
    registrationQuality =
        named(new QGroupBox(QWidget::tr("Registration Quality"), panel), "registrationQuality");
    registrationResult = wrappingLabel("registrationResult", registrationQuality);
    registrationResult->setText(QWidget::tr("Not registered yet."));
    pickTarget =
        named(new QPushButton(QWidget::tr("Pick Target in View"), registrationQuality), "pickTarget");
    pickTarget->setCheckable(true);
    loadTarget = named(new QPushButton(QWidget::tr("Load Target…"), registrationQuality), "loadTarget");
    targetError = wrappingLabel("targetError", registrationQuality);
    auto* layout = new QVBoxLayout(registrationQuality);
    layout->addWidget(registrationResult);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(pickTarget);
    buttons->addWidget(loadTarget);
    layout->addLayout(buttons);
    layout->addWidget(targetError);
    return registrationQuality;
}

}  // namespace Tesselon
