#include "navigation/streams/CombinedTrackingStreamController.h"

#include "host/core/base/Log.h"
#include "host/stream/StreamAlgorithm.h"
#include "navigation/streams/CombinedTrackingStream.h"
#include "ui_CombinedTrackingStreamController.h"

#include <QSignalBlocker>
#include <QVBoxLayout>

namespace Tesselon {
namespace {

constexpr const char* category = "CombinedTrackingStreamController";

/// Replaces the items without announcing the intermediate states.
void fillComboBox(QComboBox& box, const QStringList& texts, int current)
{
    const QSignalBlocker blocker(&box);
    box.clear();
    box.addItems(texts);
    box.setCurrentIndex(current);
}

QString idOf(const QString& instrumentText)
{
    return QString::fromStdString(TrackerID::fromIDModelNameString(instrumentText.toStdString()).ID());
}

}  // namespace

CombinedTrackingStreamController::CombinedTrackingStreamController(StreamAlgorithm* algorithm)
    : StreamController(algorithm, algorithm ? algorithm->createdStream() : nullptr),
      m_ui(std::make_unique<Ui::CombinedTrackingStreamController>())
{
}

CombinedTrackingStreamController::~CombinedTrackingStreamController()
{
    // The update requests come from the streams' threads and post to this panel.
    signalReceiver()->disconnectAll();
}

void CombinedTrackingStreamController::init()
{
    StreamController::init();
    auto* form = new QWidget(this);
    m_ui->setupUi(form);
    // Under the common stream controls, above the closing stretch.
    auto* box = static_cast<QBoxLayout*>(layout());
    box->insertWidget(box->count() - 1, form);

    m_combined = dynamic_cast<CombinedTrackingStream*>(stream());
    if (!m_combined)
        return;
    m_combined->updated.connect(signalReceiver(), [this] { requestUpdate(); });
    m_combined->updatedThreadSafe.connect(signalReceiver(), [this] { requestUpdate(); });
    // The instrument boxes list the inputs' instruments, which change when an input learns new ones.
    for (TrackingStream* input : m_combined->streams())
        input->updated.connect(signalReceiver(), [this] { requestUpdate(); });

    connect(m_ui->comboBoxPreStream, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CombinedTrackingStreamController::updateGui);
    connect(m_ui->comboBoxPostStream, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CombinedTrackingStreamController::updateGui);
    connect(m_ui->pushButtonAddInstrument, &QPushButton::clicked, this,
            &CombinedTrackingStreamController::onAddInstrument);
    connect(m_ui->checkBoxForwardTargetOnly, &QCheckBox::clicked, this,
            &CombinedTrackingStreamController::onChangeForwardTargetOnly);

    QStringList names;
    for (const TrackingStream* input : m_combined->streams())
        names << QString::fromStdString(input->name());
    fillComboBox(*m_ui->comboBoxPreStream, names, 0);
    fillComboBox(*m_ui->comboBoxPostStream, names, names.size() >= 2 ? 1 : 0);
    fillComboBox(*m_ui->comboBoxCombinationMode, {tr("Relative"), tr("Composition")},
                 CombinationInstruction::Relative);
    updateGui();
}

void CombinedTrackingStreamController::requestUpdate()
{
    QMetaObject::invokeMethod(this, "updateGui", Qt::QueuedConnection);
}

void CombinedTrackingStreamController::updateGui()
{
    if (!m_combined)
        return;
    fillInstruments(*m_ui->comboBoxPreStream, *m_ui->comboBoxPreInstrument);
    fillInstruments(*m_ui->comboBoxPostStream, *m_ui->comboBoxPostInstrument);
    const QSignalBlocker blocker(m_ui->checkBoxForwardTargetOnly);
    m_ui->checkBoxForwardTargetOnly->setChecked(m_combined->isForwardWithoutCombination());
}

TrackingStream* CombinedTrackingStreamController::inputNamed(const QString& name) const
{
    for (TrackingStream* input : m_combined->streams())
        if (QString::fromStdString(input->name()) == name)
            return input;
    return nullptr;
}

void CombinedTrackingStreamController::fillInstruments(const QComboBox& streamBox,
                                                       QComboBox& instrumentBox) const
{
    QStringList texts;
    if (const TrackingStream* input = inputNamed(streamBox.currentText()))
        for (const TrackingInstrument& instrument : input->instruments())
            texts << QString::fromStdString(instrument.id.toIDModelNameString(false));
    // An update from the stream keeps what the user chose while it is still offered.
    fillComboBox(instrumentBox, texts, std::max(0, texts.indexOf(instrumentBox.currentText())));
}

void CombinedTrackingStreamController::onAddInstrument()
{
    if (!m_combined)
        return;
    if (m_ui->comboBoxPreInstrument->currentText().isEmpty() ||
        m_ui->comboBoxPostInstrument->currentText().isEmpty()) {
        const QString problem =
            tr("Choose a target and a reference instrument first: an output instrument "
               "needs both, and an input stream without instruments offers none.");
        m_ui->labelAddProblem->setText(problem);
        Log::warning(category, problem.toStdString());
        return;
    }
    m_ui->labelAddProblem->clear();
    CombinationInstruction instruction;
    instruction.preStreamName = m_ui->comboBoxPreStream->currentText().toStdString();
    instruction.preInstrument = m_ui->comboBoxPreInstrument->currentText().toStdString();
    instruction.postStreamName = m_ui->comboBoxPostStream->currentText().toStdString();
    instruction.postInstrument = m_ui->comboBoxPostInstrument->currentText().toStdString();
    instruction.outputInstrument = outputName().toStdString();
    instruction.combinationMode =
        static_cast<CombinationInstruction::CombinationMode>(m_ui->comboBoxCombinationMode->currentIndex());
    m_combined->addOutputInstrument(instruction);
    m_ui->lineEditInstrumentName->clear();
}

QString CombinedTrackingStreamController::outputName() const
{
    const QString typed = m_ui->lineEditInstrumentName->text();
    if (!typed.isEmpty())
        return typed;
    return idOf(m_ui->comboBoxPreInstrument->currentText()) + "-" +
           idOf(m_ui->comboBoxPostInstrument->currentText());
}

void CombinedTrackingStreamController::onChangeForwardTargetOnly(bool on)
{
    if (m_combined)
        m_combined->setForwardWithoutCombination(on);
}

}  // namespace Tesselon
