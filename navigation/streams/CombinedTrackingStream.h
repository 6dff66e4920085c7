#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/stream/PassiveTrackingStream.h"
#include "host/stream/TrackingStreamData.h"
#include "navigation/streams/CombinationInstruction.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Tesselon {

class DataList;

/// A tracking stream whose instruments are computed from instruments of one or more input streams, one
/// output instrument per `CombinationInstruction`: typically a tool's pose relative to a reference
/// marker. It emits when a sample arrives from the target stream of an instruction, using the latest
/// sample of every other input; it has no thread or device of its own.
class CombinedTrackingStream : public PassiveTrackingStream, public SignalReceiver
{
public:
    using CombinationMode = CombinationInstruction::CombinationMode;

    explicit CombinedTrackingStream(const DataList& inputs);
    explicit CombinedTrackingStream(std::vector<TrackingStream*> inputs);
    ~CombinedTrackingStream() override;

    /// Not empty, and every entry is a tracking stream.
    static bool isCompatible(const DataList& data);

    /// The instruments of the last emitted sample.
    std::vector<TrackingInstrument> instruments() const override;
    std::vector<TrackingStream*> streams() const { return m_inputs; }

    void setForwardWithoutCombination(bool forward);
    bool isForwardWithoutCombination() const;
    /// Appends an instruction; its output instrument gets the ID "relative-" and the instruction's index.
    void addOutputInstrument(const CombinationInstruction& instruction);
    std::vector<CombinationInstruction> instructions() const;

    void onStreamData(std::shared_ptr<const StreamData> sample);
    /// Emits a sample if the stream is running and not paused, and remembers its instruments.
    void sendStreamData(const TrackingStreamData& data);

    void configure(const Properties* properties) override;
    void configuration(Properties* properties) const override;

private:
    struct Output
    {
        std::unique_ptr<CombinationInstruction> instruction;
        TrackingInstrument instrument;
        // The instruments' IDs, parsed once from the instruction's text forms.
        std::string referenceId;
        std::string targetId;
        /// "<target>To<reference>" for a relative pose, empty for a pose in the tracker's frame.
        std::string transformName;
    };

    std::optional<TrackingInstrument> latestInstrument(const std::string& streamName,
                                                       const std::string& id) const;
    std::optional<Eigen::Matrix4d> combinedPose(const Output& output, const TrackingInstrument* reference,
                                                const TrackingInstrument& target) const;
    void addOutputInstrumentLocked(const CombinationInstruction& instruction);
    void addLegacyInstruction(const std::string& text);
    std::string instrumentTextAt(const std::string& streamName, int index) const;

    std::vector<TrackingStream*> m_inputs;
    // Guards the latest samples, the instructions and the forwarding flag.
    mutable std::mutex m_instructionMutex;
    std::map<std::string, std::shared_ptr<const TrackingStreamData>> m_latestSamples;
    std::vector<Output> m_outputs;
    bool m_forwardWithoutCombination = false;
    // Guards the last sent instruments, so panels can read them while samples are combined.
    mutable std::mutex m_outputMutex;
    std::vector<TrackingInstrument> m_lastSentInstruments;
};

}  // namespace Tesselon
