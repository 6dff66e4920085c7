#include "navigation/visualization/ToolNavigationVisualizationForm.h"

#include "host/gui/QtWidgetHelpers.h"
#include "navigation/visualization/PathDeviationReadout.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace Tesselon {

namespace {

using QtHelpers::named;

QLabel* textLabel(const char* objectName, const QString& text, QWidget* parent)
{
    return named(new QLabel(text, parent), objectName);
}

QComboBox* comboBox(const char* objectName, const QStringList& items, QWidget* parent)
{
    auto* box = named(new QComboBox(parent), objectName);
    box->addItems(items);
    return box;
}

QDoubleSpinBox* doubleSpinBox(const char* objectName, double minimum, double maximum, double value,
                              QWidget* parent)
{
    auto* box = named(new QDoubleSpinBox(parent), objectName);
    box->setRange(minimum, maximum);
    box->setValue(value);
    QtHelpers::ignoreWheelUnlessFocused(box);
    return box;
}

QSpinBox* spinBox(const char* objectName, int minimum, int maximum, int value, QWidget* parent)
{
    auto* box = named(new QSpinBox(parent), objectName);
    box->setRange(minimum, maximum);
    box->setValue(value);
    QtHelpers::ignoreWheelUnlessFocused(box);
    return box;
}

/// A titled group whose rows are a label and its field.
QGridLayout* group(QGroupBox*& box, const char* objectName, const QString& title, QWidget* panel)
{
    box = named(new QGroupBox(title, panel), objectName);
    panel->layout()->addWidget(box);
    return new QGridLayout(box);
}

void addRow(QGridLayout* grid, QWidget* label, QWidget* field)
{
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
}

}  // namespace

void ToolNavigationVisualizationForm::setupUi(QWidget* panel)
{
    panel->setObjectName("ToolNavigationVisualizationController");
    panel->setWindowTitle(QWidget::tr("Form"));
    auto* layout = new QVBoxLayout(panel);

    auto* splineRow = new QHBoxLayout();
    comboBox_splines = comboBox("comboBox_splines", {}, panel);
    pushButton_selectSpline =
        named(new QPushButton(QWidget::tr("Select Spline"), panel), "pushButton_selectSpline");
    splineRow->addWidget(comboBox_splines, 1);
    splineRow->addWidget(pushButton_selectSpline);
    layout->addLayout(splineRow);

    verticalLayout_distanceWidget = named(new QVBoxLayout(), "verticalLayout_distanceWidget");
    layout->addLayout(verticalLayout_distanceWidget);

    auto* radiusGrid = new QGridLayout();
    label = textLabel("label", QWidget::tr("Target radius (mm):"), panel);
    doubleSpinBox_radius = doubleSpinBox("doubleSpinBox_radius", 1.0, 99999.0, 10.0, panel);
    addRow(radiusGrid, label, doubleSpinBox_radius);
    layout->addLayout(radiusGrid);

    QGridLayout* path = group(groupBox, "groupBox", QWidget::tr("Path"), panel);
    label_2 = textLabel("label_2", QWidget::tr("Type"), groupBox);
    comboBox_type = comboBox("comboBox_type", {"Tubular", "Funnel"}, groupBox);
    label_3 = textLabel("label_3", QWidget::tr("Growth:"), groupBox);
    doubleSpinBox_growth = doubleSpinBox("doubleSpinBox_growth", 0.0, 99999.0, 100.0, groupBox);
    doubleSpinBox_growth->setEnabled(false);
    label_4 = textLabel("label_4", QWidget::tr("Separation:"), groupBox);
    comboBox_separation = comboBox("comboBox_separation", {"Equidistant", "Exponential"}, groupBox);
    label_5 = textLabel("label_5", QWidget::tr("Num circles:"), groupBox);
    spinBox_number = spinBox("spinBox_number", 3, 100, 10, groupBox);
    addRow(path, label_2, comboBox_type);
    addRow(path, label_3, doubleSpinBox_growth);
    addRow(path, label_4, comboBox_separation);
    addRow(path, label_5, spinBox_number);

    QGridLayout* positioning = group(groupBox_2, "groupBox_2", QWidget::tr("Positioning"), panel);
    label_6 = textLabel("label_6", QWidget::tr("Link to:"), groupBox_2);
    comboBox_link = comboBox("comboBox_link", {"None", "Needle tip", "Needle side", "Rings"}, groupBox_2);
    label_9 = textLabel("label_9", QWidget::tr("Rotation offset:"), groupBox_2);
    spinBox_rotOffset = spinBox("spinBox_rotOffset", 0, 360, 0, groupBox_2);
    addRow(positioning, label_6, comboBox_link);
    addRow(positioning, label_9, spinBox_rotOffset);

    QGridLayout* visibility = group(groupBox_3, "groupBox_3", QWidget::tr("Visibility"), panel);
    label_7 = textLabel("label_7", QWidget::tr("Rings:"), groupBox_3);
    comboBox_visibility =
        comboBox("comboBox_visibility", {"All", "Fixed only", "Tip only", "Fading"}, groupBox_3);
    label_8 = textLabel("label_8", QWidget::tr("Center line:"), groupBox_3);
    comboBox_centerLine = comboBox("comboBox_centerLine", {"Line + distance", "Line", "None"}, groupBox_3);
    addRow(visibility, label_7, comboBox_visibility);
    addRow(visibility, label_8, comboBox_centerLine);

    groupBox_readout = new PathDeviationReadout(panel);
    layout->addWidget(groupBox_readout);
}

}  // namespace Tesselon
