#include "navigation/streams/CombinedTrackingStream.h"

#include "host/core/base/Log.h"
#include "host/core/model/DataList.h"
#include "navigation/plugin/NavigationIds.h"

#include <Eigen/LU>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Tesselon {
namespace {

namespace Keys = NavigationIds::CombinedStream;
constexpr double singularDeterminant = 1e-12;

std::vector<std::string> splitAtCommasAndSemicolons(const std::string& text)
{
    std::vector<std::string> pieces(1);
    for (char c : text) {
        if (c == ',' || c == ';')
            pieces.emplace_back();
        else
            pieces.back() += c;
    }
    return pieces;
}

std::string tildesToBlanks(std::string text)
{
    std::replace(text.begin(), text.end(), '~', ' ');
    return text;
}

/// referenceToTracker⁻¹ · targetToTracker, or nothing when the reference pose cannot be inverted.
std::optional<Eigen::Matrix4d> targetInReference(const Eigen::Matrix4d& referenceToTracker,
                                                 const Eigen::Matrix4d& targetToTracker)
{
    Eigen::Matrix4d trackerToReference;
    double determinant = 0.0;
    bool invertible = false;
    referenceToTracker.computeInverseAndDetWithCheck(trackerToReference, determinant, invertible,
                                                     singularDeterminant);
    if (!invertible)
        return std::nullopt;
    return trackerToReference * targetToTracker;
}

}  // namespace

CombinedTrackingStream::CombinedTrackingStream(const DataList& inputs)
    : CombinedTrackingStream(inputs.getAll<TrackingStream>())
{
}

CombinedTrackingStream::CombinedTrackingStream(std::vector<TrackingStream*> inputs)
    : PassiveTrackingStream("Combined Tracking Stream"), m_inputs(std::move(inputs))
{
    for (TrackingStream* input : m_inputs)
        input->newData.connect(this, &CombinedTrackingStream::onStreamData);
}

CombinedTrackingStream::~CombinedTrackingStream()
{
    disconnectAll();
    closeAsync().wait();
}

bool CombinedTrackingStream::isCompatible(const DataList& data)
{
    return !data.empty() && std::all_of(data.begin(), data.end(),
                                        [](Data* entry) { return dynamic_cast<TrackingStream*>(entry); });
}

std::vector<TrackingInstrument> CombinedTrackingStream::instruments() const
{
    std::lock_guard lock(m_outputMutex);
    return m_lastSentInstruments;
}

void CombinedTrackingStream::setForwardWithoutCombination(bool forward)
{
    std::lock_guard lock(m_instructionMutex);
    m_forwardWithoutCombination = forward;
}

bool CombinedTrackingStream::isForwardWithoutCombination() const
{
    std::lock_guard lock(m_instructionMutex);
    return m_forwardWithoutCombination;
}

void CombinedTrackingStream::addOutputInstrument(const CombinationInstruction& instruction)
{
    std::lock_guard lock(m_instructionMutex);
    addOutputInstrumentLocked(instruction);
}

void CombinedTrackingStream::addOutputInstrumentLocked(const CombinationInstruction& instruction)
{
    TrackingInstrument instrument;
    instrument.id =
        TrackerID(Keys::outputIdPrefix + std::to_string(m_outputs.size()), "", instruction.outputInstrument);
    instrument.quality = 0.0;
    instrument.visible = true;
    const std::string referenceId = TrackerID::fromIDModelNameString(instruction.preInstrument.value()).ID();
    const std::string targetId = TrackerID::fromIDModelNameString(instruction.postInstrument.value()).ID();
    const bool relative = instruction.combinationMode.value() == CombinationInstruction::Relative;
    m_outputs.push_back({std::make_unique<CombinationInstruction>(instruction), instrument, referenceId,
                         targetId, relative ? targetId + "To" + referenceId : std::string()});
}

std::vector<CombinationInstruction> CombinedTrackingStream::instructions() const
{
    std::lock_guard lock(m_instructionMutex);
    std::vector<CombinationInstruction> copies;
    for (const Output& output : m_outputs)
        copies.push_back(*output.instruction);
    return copies;
}

std::optional<TrackingInstrument> CombinedTrackingStream::latestInstrument(const std::string& streamName,
                                                                           const std::string& id) const
{
    const auto sample = m_latestSamples.find(streamName);
    if (sample == m_latestSamples.end())
        return std::nullopt;
    return sample->second->instrument(id);
}

std::optional<Eigen::Matrix4d> CombinedTrackingStream::combinedPose(const Output& output,
                                                                    const TrackingInstrument* reference,
                                                                    const TrackingInstrument& target) const
{
    if (!reference)
        return target.matrix;
    if (output.instruction->combinationMode.value() == CombinationInstruction::Relative)
        return targetInReference(reference->matrix, target.matrix);
    return Eigen::Matrix4d(reference->matrix * target.matrix);
}

void CombinedTrackingStream::onStreamData(std::shared_ptr<const StreamData> sample)
{
    auto trackingSample = std::dynamic_pointer_cast<const TrackingStreamData>(sample);
    if (!trackingSample)
        return;
    const std::string sourceName =
        trackingSample->trackingStream() ? trackingSample->trackingStream()->name() : "";
    const std::uint64_t arrival = StreamData::nowMilliseconds();

    std::vector<TrackingInstrument> outputInstruments;
    std::shared_ptr<const TrackingStreamData> componentSource;
    {
        std::lock_guard lock(m_instructionMutex);
        m_latestSamples.insert_or_assign(sourceName, trackingSample);
        for (Output& output : m_outputs) {
            const CombinationInstruction& instruction = *output.instruction;
            std::optional<TrackingInstrument> reference;
            if (!m_forwardWithoutCombination) {
                reference = latestInstrument(instruction.preStreamName, output.referenceId);
                if (!reference)
                    continue;
            }
            const auto target = latestInstrument(instruction.postStreamName, output.targetId);
            if (!target)
                continue;
            const auto pose = combinedPose(output, reference ? &*reference : nullptr, *target);
            const double quality = reference ? reference->quality * target->quality : target->quality;
            // A singular reference or a non-finite input drops this output, never a non-finite number.
            if (!pose || !pose->allFinite() || !std::isfinite(quality))
                continue;
            if (instruction.postStreamName.value() == sourceName)
                componentSource = trackingSample;
            output.instrument.matrix = *pose;
            output.instrument.quality = quality;
            output.instrument.timestamp = target->timestamp;
            output.instrument.visible = true;
            output.instrument.transformName = reference ? output.transformName : std::string();
            outputInstruments.push_back(output.instrument);
        }
    }
    if (!componentSource || outputInstruments.empty())
        return;
    TrackingStreamData combined(this, outputInstruments);
    combined.setTimestampDevice(outputInstruments.front().timestamp);
    combined.setTimestampArrival(arrival);
    combined.updateComponents(*componentSource);
    sendStreamData(combined);
}

void CombinedTrackingStream::sendStreamData(const TrackingStreamData& data)
{
    if (!isRunning())
        return;
    {
        std::lock_guard lock(m_outputMutex);
        m_lastSentInstruments = data.instruments();
    }
    emitData(std::shared_ptr<const StreamData>(data.clone()));
}

void CombinedTrackingStream::configure(const Properties* properties)
{
    if (!properties)
        return;
    Configurable::configure(properties);
    std::lock_guard lock(m_instructionMutex);
    m_outputs.clear();
    properties->param("forwardWithoutCombination", m_forwardWithoutCombination);
    std::string legacy;
    if (properties->param("fusionInstructions", legacy) && !legacy.empty())
        addLegacyInstruction(legacy);
    if (const Properties* container = properties->subProperty(Keys::instructions)) {
        for (const Properties* entry : container->subProperties(Keys::instruction)) {
            CombinationInstruction instruction;
            instruction.configure(entry);
            addOutputInstrumentLocked(instruction);
        }
    }
}

void CombinedTrackingStream::addLegacyInstruction(const std::string& text)
{
    // "output,?,referenceStream,index,targetStream": the one index names both instruments and its sign
    // the mode; "~" stands for a blank in stream names.
    try {
        const auto pieces = splitAtCommasAndSemicolons(text);
        CombinationInstruction instruction;
        instruction.outputInstrument = pieces.at(0);
        instruction.preStreamName = tildesToBlanks(pieces.at(2));
        instruction.postStreamName = tildesToBlanks(pieces.at(4));
        std::size_t parsed = 0;
        const int index = std::stoi(pieces.at(3), &parsed);
        if (parsed != pieces[3].size())
            throw std::invalid_argument("the instrument index is not a whole number");
        instruction.preInstrument = instrumentTextAt(instruction.preStreamName, index);
        instruction.postInstrument = instrumentTextAt(instruction.postStreamName, index);
        instruction.combinationMode =
            index >= 0 ? CombinationInstruction::Composition : CombinationInstruction::Relative;
        addOutputInstrumentLocked(instruction);
    } catch (const std::exception&) {
        Log::log(Log::Error, "", "Failed to convert string to CombinationInstruction: " + text);
    }
}

std::string CombinedTrackingStream::instrumentTextAt(const std::string& streamName, int index) const
{
    std::string text;
    for (const TrackingStream* input : m_inputs) {
        if (input->name() != streamName)
            continue;
        const auto instruments = input->instruments();
        if (index < 0 || index >= static_cast<int>(instruments.size()))
            throw std::out_of_range("instrument index outside the stream's instrument list");
        text = instruments[static_cast<std::size_t>(index)].id.toIDModelNameString(false);
    }
    return text;
}

void CombinedTrackingStream::configuration(Properties* properties) const
{
    if (!properties)
        return;
    Configurable::configuration(properties);
    std::lock_guard lock(m_instructionMutex);
    properties->setParam("forwardWithoutCombination", m_forwardWithoutCombination);
    Properties* container = properties->subProperty(Keys::instructions);
    if (!container)
        container = properties->addSubProperties(Keys::instructions);
    for (const Output& output : m_outputs)
        output.instruction->configuration(container->addSubProperties(Keys::instruction));
}

}  // namespace Tesselon
