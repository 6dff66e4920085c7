#include "navigation/visualization/BullseyeVisualizationForm.h"

#include "host/gui/QtWidgetHelpers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Tesselon {

using QtHelpers::named;

void BullseyeVisualizationForm::setupUi(QWidget* panel)
{
    panel->setObjectName("BullseyeVisualizationController");
    panel->setWindowTitle(QWidget::tr("Form"));
    panel->resize(346, 54);
    verticalLayout = named(new QVBoxLayout(panel), "verticalLayout");
    horizontalLayout_4 = named(new QHBoxLayout(), "horizontalLayout_4");
    verticalLayout->addLayout(horizontalLayout_4);

    pushButton_startStop = named(new QPushButton(QWidget::tr("Start"), panel), "pushButton_startStop");
    pushButton_startStop->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
    pushButton_startStop->setMinimumSize(200, 30);
    QFont font = pushButton_startStop->font();
    font.setPointSize(11);
    pushButton_startStop->setFont(font);
    horizontalLayout_4->addWidget(pushButton_startStop, 0, Qt::AlignHCenter);

    label_status = named(new QLabel(panel), "label_status");
    label_status->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    horizontalLayout_4->addWidget(label_status);

    pushButton_center = named(new QPushButton(QWidget::tr("Center"), panel), "pushButton_center");
    horizontalLayout_4->addWidget(pushButton_center);

    label_readout = named(new QLabel(panel), "label_readout");
    label_readout->setWordWrap(true);
    verticalLayout->addWidget(label_readout);
}

}  // namespace Tesselon
