#include "host/app/Session.h"

#include "host/core/base/Log.h"
#include "host/core/io/ImageVolumeFile.h"
#include "host/core/io/PointListFile.h"
#include "host/core/io/TrackingRecordingFile.h"
#include "host/core/model/AlgorithmFactory.h"
#include "host/core/model/SharedImageSet.h"
#include "host/gl/GlPoint.h"
#include "host/stream/StreamAlgorithm.h"
#include "host/stream/TrackingSequence.h"
#include "host/stream/igtl/IgtlAddress.h"
#include "host/stream/sources/IgtlTrackingStream.h"
#include "host/stream/sources/PlaybackTrackingStream.h"
#include "host/stream/sources/SimulatedTracker.h"

#include <fmt/core.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace Tesselon {
namespace {

constexpr std::string_view category = "Session";
// The configuration key naming the transform of a recording that a sequence holds.
constexpr const char* transformKey = "transform";

template <class T>
std::unique_ptr<T> startedStream(std::unique_ptr<T> stream)
{
    if (!stream->open() || !stream->start())
        throw std::runtime_error("The stream \"" + stream->name() + "\" did not start.");
    return stream;
}

template <class Item>
auto objectsOf(const std::vector<Item>& items)
{
    std::vector<decltype(items.front().object.get())> objects;
    for (const Item& item : items)
        objects.push_back(item.object.get());
    return objects;
}

/// Removes the newest item; its object lives on in the result.
template <class Item>
auto takeLast(std::vector<Item>& items)
{
    auto last = std::move(items.back().object);
    items.pop_back();
    return last;
}

}  // namespace

Session::Session(std::vector<AlgorithmFactory*> algorithmFactories)
    : m_algorithmFactories(std::move(algorithmFactories))
{
}

Session::~Session()
{
    clear();
}

template <class T>
T* Session::addData(std::unique_ptr<T> data, DataSource source, std::string location)
{
    T* added = data.get();
    Log::info(category, fmt::format("Added \"{}\" to the data.", added->name()));
    m_data.push_back({std::move(data), {source, std::move(location), Properties()}});
    dataAdded(added, source);
    return added;
}

SharedImageSet* Session::openVolume(const std::string& path)
{
    auto volume = ImageVolumeFile::read(path);
    if (!m_volume)
        m_volume = volume.get();
    return addData(std::move(volume), DataSource::Volume, path);
}

TrackingStream* Session::openRecording(const std::string& path)
{
    auto playback = PlaybackTrackingStream::fromFile(path);
    Properties looping;
    looping.setParam("loop", true);
    playback->configure(&looping);
    return addData(startedStream(std::move(playback)), DataSource::Recording, path);
}

std::vector<TrackingSequence*> Session::openRecordingAsSequences(const std::string& path)
{
    const TrackingRecording recording = TrackingRecordingFile::read(path);
    std::vector<TrackingSequence*> added;
    for (const std::string& transform : recording.transformNames())
        added.push_back(addRecordingSequence(recording, path, transform));
    return added;
}

TrackingSequence* Session::addRecordingSequence(const TrackingRecording& recording, const std::string& path,
                                                const std::string& transform)
{
    auto sequence = TrackingSequence::fromRecording(recording, transform);
    // Named and identified as the recording's playback names the instrument.
    const std::string instrument = PlaybackTrackingStream::instrumentId(transform);
    sequence->setTrackerId(TrackerID(instrument));
    sequence->setName(std::filesystem::path(path).filename().string() + " " + instrument);
    TrackingSequence* added = addData(std::move(sequence), DataSource::RecordingSequence, path);
    m_data.back().entry.configuration.setParam(transformKey, transform);
    return added;
}

std::vector<TrackingSequence*> Session::addRecordedSequences(
    std::vector<std::unique_ptr<TrackingSequence>> sequences)
{
    std::vector<TrackingSequence*> added;
    for (auto& sequence : sequences)
        added.push_back(addData(std::move(sequence), DataSource::LiveRecording));
    return added;
}

TrackingStream* Session::connectSimulatedTracker(const Properties* configuration)
{
    auto tracker = std::make_unique<SimulatedTracker>();
    tracker->configure(configuration);
    return addData(startedStream(std::move(tracker)), DataSource::SimulatedTracker);
}

TrackingStream* Session::connectIgtl(const IgtlAddress& address)
{
    auto stream = std::make_unique<IgtlTrackingStream>();
    const Properties configuration = address.streamConfiguration();
    stream->configure(&configuration);
    return addData(startedStream(std::move(stream)), DataSource::Igtl, address.toString());
}

GlPoint* Session::openMarkups(const std::string& path)
{
    if (!m_volume)
        throw std::runtime_error("Open a volume first: markups are points on a volume.");
    const PointList points = PointListFile::read(path);
    auto markups = std::make_unique<GlPoint>();
    markups->setName(std::filesystem::path(path).filename().string());
    for (const PointList::Point& point : points.points)
        markups->addPoint(point.position);
    markups->setColor(Eigen::Vector3d(0.3, 0.8, 1.0));
    m_markups.push_back({std::move(markups), {DataSource::Markups, path, Properties()}});
    GlPoint* added = m_markups.back().object.get();
    markupsAdded(added);
    return added;
}

std::vector<Data*> Session::data() const
{
    return objectsOf(m_data);
}

DataSource Session::sourceOf(const Data& data) const
{
    for (const auto& item : m_data)
        if (item.object.get() == &data)
            return item.entry.type;
    throw std::out_of_range("The data \"" + data.name() + "\" is not in the session.");
}

std::vector<GlPoint*> Session::markups() const
{
    return objectsOf(m_markups);
}

std::map<std::string, std::vector<AlgorithmCatalog::Entry>> Session::offeredAlgorithms(
    const DataList& selection) const
{
    return AlgorithmCatalog(m_algorithmFactories).byCategory(selection);
}

Algorithm* Session::createAlgorithm(std::string_view id, const DataList& inputs,
                                    const Properties* configuration)
{
    std::unique_ptr<Algorithm> algorithm;
    for (AlgorithmFactory* factory : m_algorithmFactories)
        if ((algorithm = factory->create(id, inputs)))
            break;
    if (!algorithm) {
        Log::error(category, fmt::format("No algorithm {} suits the chosen data.", id));
        return nullptr;
    }
    if (configuration)
        algorithm->configure(configuration);
    Algorithm* created = algorithm.get();
    m_algorithms.push_back({std::move(algorithm), {std::string(id), indicesOf(inputs), Properties()}});
    // A stream's algorithm makes its stream at once, as choosing it from the menu promises.
    if (dynamic_cast<StreamAlgorithm*>(created)) {
        created->compute();
        takeOutputs(*created);
    }
    algorithmCreated(created);
    return created;
}

void Session::takeOutputs(Algorithm& algorithm)
{
    for (auto& output : algorithm.takeOutput())
        addData(std::move(output), DataSource::AlgorithmOutput);
}

std::vector<int> Session::indicesOf(const DataList& inputs) const
{
    std::vector<int> indices;
    for (Data* input : inputs)
        for (std::size_t i = 0; i < m_data.size(); ++i)
            if (m_data[i].object.get() == input)
                indices.push_back(static_cast<int>(i));
    return indices;
}

std::vector<Algorithm*> Session::algorithms() const
{
    return objectsOf(m_algorithms);
}

const Configurable& Session::savedConfigurationOf(const Algorithm& algorithm) const
{
    // A derived stream edited in its panel (another smoothing, a combination added) is saved as it is now;
    // its algorithm only remembers how it was created.
    const auto* creator = dynamic_cast<const StreamAlgorithm*>(&algorithm);
    const Stream* stream = creator ? creator->createdStream() : nullptr;
    const bool held = std::any_of(m_data.begin(), m_data.end(), [stream](const auto& item) {
        return stream && item.object.get() == stream;
    });
    return held ? static_cast<const Configurable&>(*stream) : algorithm;
}

Workspace Session::workspace() const
{
    Workspace workspace;
    std::vector<int> savedIndex(m_data.size(), -1);
    for (std::size_t i = 0; i < m_data.size(); ++i) {
        if (!isSavedDataSource(m_data[i].entry.type))
            continue;
        Workspace::DataEntry entry = m_data[i].entry;
        if (const auto* stream = dynamic_cast<const Stream*>(m_data[i].object.get()))
            stream->configuration(&entry.configuration);
        savedIndex[i] = static_cast<int>(workspace.data.size());
        workspace.data.push_back(std::move(entry));
    }
    for (const auto& markups : m_markups)
        workspace.data.push_back(markups.entry);
    for (const auto& item : m_algorithms) {
        Workspace::AlgorithmEntry entry = item.entry;
        entry.inputs.clear();
        for (int input : item.entry.inputs)
            if (savedIndex[static_cast<std::size_t>(input)] >= 0)
                entry.inputs.push_back(savedIndex[static_cast<std::size_t>(input)]);
        savedConfigurationOf(*item.object).configuration(&entry.configuration);
        workspace.algorithms.push_back(std::move(entry));
    }
    return workspace;
}

void Session::restoreWorkspace(const Workspace& workspace)
{
    std::vector<Data*> restored;
    for (const Workspace::DataEntry& entry : workspace.data) {
        Data* data = nullptr;
        try {
            data = restoreData(entry);
        } catch (const std::exception& error) {
            Log::error(category, fmt::format("Skipped {} \"{}\" of the workspace: {}",
                                             dataSourceName(entry.type), entry.source, error.what()));
        }
        restored.push_back(data);
    }
    for (const Workspace::AlgorithmEntry& entry : workspace.algorithms) {
        DataList inputs;
        for (int index : entry.inputs)
            if (Data* input = restored[static_cast<std::size_t>(index)])
                inputs.add(input);
        createAlgorithm(entry.id, inputs, &entry.configuration);
    }
}

Data* Session::restoreData(const Workspace::DataEntry& entry)
{
    switch (entry.type) {
        case DataSource::Volume:
            return openVolume(entry.source);
        case DataSource::Recording:
            return openRecording(entry.source);
        case DataSource::Markups:
            openMarkups(entry.source);
            return nullptr;
        case DataSource::SimulatedTracker:
            return connectSimulatedTracker(&entry.configuration);
        case DataSource::Igtl:
            return connectIgtl(IgtlAddress::parse(entry.source));
        case DataSource::RecordingSequence: {
            std::string transform;
            entry.configuration.param(transformKey, transform);
            return addRecordingSequence(TrackingRecordingFile::read(entry.source), entry.source, transform);
        }
        case DataSource::AlgorithmOutput:
        case DataSource::LiveRecording:
            break;
    }
    throw std::runtime_error("its algorithm makes it again.");
}

void Session::openWorkspace(const std::string& path)
{
    restoreWorkspace(Workspace::load(path));
}

void Session::saveWorkspace(const std::string& path) const
{
    workspace().save(path);
}

void Session::removeAlgorithm(Algorithm* algorithm)
{
    const auto found = std::find_if(m_algorithms.begin(), m_algorithms.end(),
                                    [algorithm](const auto& item) { return item.object.get() == algorithm; });
    if (found == m_algorithms.end())
        return;
    // Out of the list before it is announced, as `clear` does, and deleted after.
    const std::unique_ptr<Algorithm> removed = std::move(found->object);
    m_algorithms.erase(found);
    algorithmRemoved(removed.get());
}

void Session::clear()
{
    // Each leaves the lists before it is announced, so listeners see the session without it.
    while (!m_algorithms.empty())
        algorithmRemoved(takeLast(m_algorithms).get());
    while (!m_markups.empty())
        markupsRemoved(takeLast(m_markups).get());
    while (!m_data.empty()) {
        const auto data = takeLast(m_data);
        if (data.get() == m_volume)
            m_volume = nullptr;
        dataRemoved(data.get());
        if (auto* stream = dynamic_cast<Stream*>(data.get()))
            stream->stop();
    }
}

}  // namespace Tesselon
