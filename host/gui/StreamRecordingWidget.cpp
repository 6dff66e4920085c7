#include "host/gui/StreamRecordingWidget.h"

#include "host/gui/TrackingInstrumentComboBox.h"
#include "host/stream/TrackingStreamRecorder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace Tesselon {
namespace {

QString instrumentName(const TrackerID& id)
{
    return QString::fromStdString(id.name().empty() ? id.ID() : id.name());
}

}  // namespace

StreamRecordingWidget::StreamRecordingWidget(TrackingStream* stream, QWidget* parent)
    : QWidget(parent),
      m_stream(stream),
      m_recorder(std::make_unique<TrackingStreamRecorder>(stream)),
      m_instrument(new TrackingInstrumentComboBox(false, this)),
      m_recordButton(new QPushButton(tr("Record"), this)),
      m_stopButton(new QPushButton(tr("Stop"), this)),
      m_status(new QLabel(this))
{
    m_instrument->setObjectName("recordInstrument");
    m_recordButton->setObjectName("record");
    m_stopButton->setObjectName("stopRecording");
    m_status->setObjectName("recordingStatus");
    m_status->setWordWrap(true);
    m_instrument->setNoneText(tr("All"));
    m_instrument->initFromTrackingStream(
        stream, TrackingInstrumentComboBox::ShowId | TrackingInstrumentComboBox::ShowName, true);

    // Two rows: a panel is narrow.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* choice = new QHBoxLayout;
    choice->addWidget(new QLabel(tr("Record:"), this));
    choice->addWidget(m_instrument, 1);
    layout->addLayout(choice);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_recordButton);
    buttons->addWidget(m_stopButton);
    layout->addLayout(buttons);
    layout->addWidget(m_status);

    connect(m_recordButton, &QPushButton::clicked, this, &StreamRecordingWidget::record);
    connect(m_stopButton, &QPushButton::clicked, this, &StreamRecordingWidget::stop);
    showRecording(false);
}

StreamRecordingWidget::~StreamRecordingWidget() = default;

void StreamRecordingWidget::record()
{
    const std::string id = m_instrument->selectedInstrumentId();
    m_recorder->setRecordAllInstruments(id.empty());
    m_recorder->setRecordingInstrument(id);
    m_recorder->start();
    m_status->setText(tr("Recording..."));
    showRecording(true);
}

void StreamRecordingWidget::stop()
{
    if (!m_recorder->isRecording())
        return;
    m_recorder->stop();
    showRecording(false);
    auto sequences = takeSequences();
    if (sequences->empty()) {
        m_status->setText(
            tr("Nothing was recorded: the stream sent no sample of the chosen instrument while "
               "recording. Start the stream, then record again."));
        return;
    }
    std::size_t samples = 0;
    for (const auto& sequence : *sequences)
        samples += sequence->size();
    m_status->setText(tr("Recorded %1 samples of %2 instrument(s).").arg(samples).arg(sequences->size()));
    emit recorded(std::move(sequences));
}

bool StreamRecordingWidget::isRecording() const
{
    return m_recorder->isRecording();
}

QString StreamRecordingWidget::statusText() const
{
    return m_status->text();
}

void StreamRecordingWidget::showRecording(bool recording)
{
    m_instrument->setEnabled(!recording);
    m_recordButton->setEnabled(!recording);
    m_stopButton->setEnabled(recording);
}

std::shared_ptr<StreamRecordingWidget::Sequences> StreamRecordingWidget::takeSequences()
{
    auto sequences = std::make_shared<Sequences>();
    std::vector<std::unique_ptr<Data>> output = m_recorder->takeOutput();
    if (output.empty())
        return sequences;
    ++m_recordings;
    for (auto& data : output) {
        // The recorder makes nothing but sequences.
        std::unique_ptr<TrackingSequence> sequence(static_cast<TrackingSequence*>(data.release()));
        sequence->setName(
            QString("%1 %2 recording %3")
                .arg(QString::fromStdString(m_stream->name()), instrumentName(sequence->trackerId()))
                .arg(m_recordings)
                .toStdString());
        sequences->push_back(std::move(sequence));
    }
    return sequences;
}

}  // namespace Tesselon
