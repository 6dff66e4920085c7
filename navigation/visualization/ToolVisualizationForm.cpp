#include "navigation/visualization/ToolVisualizationForm.h"

#include "host/gui/QtWidgetHelpers.h"
#include "host/gui/TrackingInstrumentComboBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Tesselon {

namespace {

using QtHelpers::named;

QCheckBox* checkBox(const char* objectName, const QString& text, bool checked, QWidget* parent)
{
    auto* box = named(new QCheckBox(text, parent), objectName);
    box->setChecked(checked);
    return box;
}

}  // namespace

void ToolVisualizationForm::setupUi(QWidget* panel)
{
    panel->setObjectName("ToolVisualizationController");
    panel->setWindowTitle(QWidget::tr("Form"));
    auto* layout = new QVBoxLayout(panel);
    auto* grid = new QGridLayout();
    layout->addLayout(grid);

    pushButton_startStop = named(new QPushButton(QWidget::tr("Start"), panel), "pushButton_startStop");
    pushButton_updateRef =
        named(new QPushButton(QWidget::tr("Update Reg. from MPR"), panel), "pushButton_updateRef");
    label_tool = named(new QLabel(QWidget::tr("Tracking target:"), panel), "label_tool");
    comboBox_tool = named(new TrackingInstrumentComboBox(false, panel), "comboBox_tool");
    label = named(new QLabel(QWidget::tr("Relative to:"), panel), "label");
    comboBox_relTool = named(new TrackingInstrumentComboBox(false, panel), "comboBox_relTool");
    checkBox_rawFiducials =
        checkBox("checkBox_rawFiducials", QWidget::tr("Show Raw Fiducials"), false, panel);
    checkBox_linkViews = checkBox("checkBox_linkViews", QWidget::tr("Link views"), true, panel);
    grid->addWidget(pushButton_startStop, 0, 0);
    grid->addWidget(pushButton_updateRef, 0, 1);
    grid->addWidget(label_tool, 1, 0);
    grid->addWidget(comboBox_tool, 1, 1);
    grid->addWidget(label, 2, 0);
    grid->addWidget(comboBox_relTool, 2, 1);
    grid->addWidget(checkBox_rawFiducials, 3, 0);
    grid->addWidget(checkBox_linkViews, 3, 1);

    groupBox_mprOptions = named(new QGroupBox(QWidget::tr("MPR options"), panel), "groupBox_mprOptions");
    auto* options = new QGridLayout(groupBox_mprOptions);
    checkBox_projectiveRendering = checkBox("checkBox_projectiveRendering",
                                            QWidget::tr("Projective rendering"), false, groupBox_mprOptions);
    checkBox_includeRotations =
        checkBox("checkBox_includeRotations", QWidget::tr("Incl. rotations"), true, groupBox_mprOptions);
    checkBox_snapToClosestAxis = checkBox("checkBox_snapToClosestAxis", QWidget::tr("Snap to closest axis"),
                                          false, groupBox_mprOptions);
    checkBox_ignoreInPlaneTranslation =
        checkBox("checkBox_ignoreInPlaneTranslation", QWidget::tr("Ignore in-plane translation"), false,
                 groupBox_mprOptions);
    options->addWidget(checkBox_projectiveRendering, 0, 0);
    options->addWidget(checkBox_includeRotations, 0, 1);
    options->addWidget(checkBox_snapToClosestAxis, 1, 0);
    options->addWidget(checkBox_ignoreInPlaneTranslation, 1, 1);
    layout->addWidget(groupBox_mprOptions);
}

}  // namespace Tesselon
