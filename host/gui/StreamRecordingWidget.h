#pragma once

#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QPushButton;

namespace Tesselon {

class TrackingInstrumentComboBox;
class TrackingSequence;
class TrackingStream;
class TrackingStreamRecorder;

/// Record and Stop for a tracking stream's panel: records the chosen instrument (or all of them) and hands
/// the recording out as one `TrackingSequence` per instrument, named "<stream> <instrument> recording N".
/// The widget does not know where the sequences go: whoever listens to `recorded` takes them.
class StreamRecordingWidget : public QWidget
{
    Q_OBJECT

public:
    using Sequences = std::vector<std::unique_ptr<TrackingSequence>>;

    /// The stream must outlive the widget.
    explicit StreamRecordingWidget(TrackingStream* stream, QWidget* parent = nullptr);
    ~StreamRecordingWidget() override;

    void record();
    /// Ends the recording and emits `recorded` unless nothing was recorded.
    void stop();
    bool isRecording() const;
    QString statusText() const;

signals:
    /// The listener moves the sequences out; what nobody takes is freed with the last copy of the pointer.
    void recorded(std::shared_ptr<Tesselon::StreamRecordingWidget::Sequences> sequences);

private:
    void showRecording(bool recording);
    std::shared_ptr<Sequences> takeSequences();

    TrackingStream* m_stream;
    std::unique_ptr<TrackingStreamRecorder> m_recorder;
    TrackingInstrumentComboBox* m_instrument;
    QPushButton* m_recordButton;
    QPushButton* m_stopButton;
    QLabel* m_status;
    int m_recordings = 0;
};

}  // namespace Tesselon
