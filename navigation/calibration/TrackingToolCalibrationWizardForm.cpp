#include "navigation/calibration/TrackingToolCalibrationWizardForm.h"

#include "host/gui/QtWidgetHelpers.h"
#include "host/gui/TrackingInstrumentComboBox.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace Tesselon {
namespace {

using QtHelpers::named;

QString tr(const char* text)
{
    return QCoreApplication::translate("TrackingToolCalibrationWizard", text);
}

/// A child widget with a layout of its own, both named.
template <class Layout>
QWidget* area(const char* name, const char* layoutName, QWidget* parent, Layout*& layout)
{
    auto* widget = named(new QWidget(parent), name);
    layout = named(new Layout(widget), layoutName);
    return widget;
}

}  // namespace

void TrackingToolCalibrationWizardForm::setupUi(QWidget* wizard)
{
    wizard->setObjectName("TrackingToolCalibrationWizard");
    wizard->resize(320, 840);
    wizard->setWindowTitle(tr("Form"));
    verticalLayout = named(new QVBoxLayout(wizard), "verticalLayout");
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    wizardStepsLabels = area("wizardStepsLabels", "horizontalLayout_2", wizard, horizontalLayout_2);
    wizardStepsLabels->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Preferred);
    wizardStepsLabels->setProperty("TitleWidget", true);
    horizontalLayout_2->setContentsMargins(9, 9, horizontalLayout_2->contentsMargins().right(), 9);
    verticalLayout->addWidget(wizardStepsLabels);

    QVBoxLayout* mainLayout = nullptr;
    mainWidget = area("mainWidget", "verticalLayout_6", wizard, mainLayout);
    mainWidget->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    mainWidget->setProperty("MainWidget", true);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    auto* row = named(new QHBoxLayout(), "horizontalLayout_5");
    row->setSpacing(0);
    mainLayout->addLayout(row);
    m_pageLayout = named(new QVBoxLayout(), "gifLayout");
    row->addLayout(m_pageLayout, 1);
    verticalLayout->addWidget(mainWidget);

    buildInstructions();
    buildInstruments();
    buildCalibration();
    auto* gifArea = named(new QVBoxLayout(), "verticalLayout_2");
    gifArea->setContentsMargins(12, 12, 12, 12);
    gifLabel = named(new QLabel(tr("GIF"), mainWidget), "gifLabel");
    gifLabel->setAlignment(Qt::AlignCenter);
    gifLabel->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    gifLabel->setMinimumSize(1, 1);
    gifArea->addWidget(gifLabel);
    m_pageLayout->addLayout(gifArea);
    QVBoxLayout* guided = nullptr;
    guidedExpertWidget = area("guidedExpertWidget", "verticalLayout_3", mainWidget, guided);
    guided->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    m_pageLayout->addWidget(guidedExpertWidget);
    buildButtons();

    line = named(new QFrame(wizard), "line");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    verticalLayout->addWidget(line);
}

void TrackingToolCalibrationWizardForm::buildInstructions()
{
    QHBoxLayout* layout = nullptr;
    instructionsWidget = area("instructionsWidget", "horizontalLayout", mainWidget, layout);
    instructionsWidget->setProperty("InstructionsWidget", true);
    layout->setContentsMargins(9, 9, 9, 9);
    titleLabel = named(new QLabel(tr("Instructions"), instructionsWidget), "titleLabel");
    titleLabel->setAlignment(Qt::AlignCenter);
    titleLabel->setWordWrap(true);
    titleLabel->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    layout->addWidget(titleLabel);
    m_pageLayout->addWidget(instructionsWidget);
}

void TrackingToolCalibrationWizardForm::buildInstruments()
{
    QFormLayout* layout = nullptr;
    instrumentsWidget = area("instrumentsWidget", "formLayout", mainWidget, layout);
    instrumentsWidget->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::MinimumExpanding);
    instrumentsWidget->setMinimumSize(0, 0);
    instrumentsLabel = named(new QLabel(tr("Select an instrument"), instrumentsWidget), "instrumentsLabel");
    instrumentsComboBox =
        named(new TrackingInstrumentComboBox(false, instrumentsWidget), "instrumentsComboBox");
    layout->addRow(instrumentsLabel, instrumentsComboBox);
    layout->addItem(new QSpacerItem(1, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    m_pageLayout->addWidget(instrumentsWidget);
}

void TrackingToolCalibrationWizardForm::buildCalibration()
{
    QVBoxLayout* layout = nullptr;
    calibrationWidget = area("calibrationWidget", "verticalLayout_8", mainWidget, layout);
    QHBoxLayout* progressLayout = nullptr;
    calibrationProgressWidget =
        area("calibrationProgressWidget", "horizontalLayout_7", calibrationWidget, progressLayout);
    calibrationProgressBar = named(new QProgressBar(calibrationProgressWidget), "calibrationProgressBar");
    calibrationProgressBar->setValue(24);
    progressLayout->addWidget(calibrationProgressBar);
    layout->addWidget(calibrationProgressWidget);
    recordingFeedback = named(new QLabel(calibrationWidget), "recordingFeedback");
    recordingFeedback->setWordWrap(true);
    recordingFeedback->setAlignment(Qt::AlignCenter);
    layout->addWidget(recordingFeedback);
    m_pageLayout->addWidget(calibrationWidget);
}

void TrackingToolCalibrationWizardForm::buildButtons()
{
    QHBoxLayout* flipLayout = nullptr;
    flipWidget = area("flipWidget", "horizontalLayout_6", mainWidget, flipLayout);
    flipButton = named(new QPushButton(tr("Flip"), flipWidget), "flipButton");
    flipButton->setCheckable(true);
    flipButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    flipLayout->addWidget(flipButton);
    m_pageLayout->addWidget(flipWidget);

    QVBoxLayout* outer = nullptr;
    backNextWidget = area("backNextWidget", "verticalLayout_4", mainWidget, outer);
    outer->setContentsMargins(9, 9, 9, 9);
    auto* buttons = named(new QHBoxLayout(), "horizontalLayout_4");
    outer->addLayout(buttons);
    backButton = named(new QPushButton(QIcon(":/icons/64/IconArrowLeft.png"), tr("Back"), backNextWidget),
                       "backButton");
    backButton->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    backButton->setProperty("Back", true);
    startStopButton = named(new QPushButton(tr("Start"), backNextWidget), "startStopButton");
    startStopButton->setCheckable(true);
    startStopButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    nextButton = named(new QPushButton(QIcon(":/icons/64/IconArrowRight.png"), tr("Next"), backNextWidget),
                       "nextButton");
    nextButton->setProperty("Next", true);
    buttons->addWidget(backButton);
    buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    buttons->addWidget(startStopButton);
    buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    buttons->addWidget(nextButton);
    m_pageLayout->addWidget(backNextWidget);
}

}  // namespace Tesselon
