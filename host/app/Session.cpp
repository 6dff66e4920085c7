#include "host/app/Session.h"

#include "host/app/MarkupAnnotations.h"
#include "host/core/base/Log.h"
#include "host/core/io/ImageVolumeFile.h"
#include "host/core/io/TrackingRecordingFile.h"
#include "host/core/model/AlgorithmFactory.h"
#include "host/core/model/SharedImageSet.h"
#include "host/gl/GlPointBasedAnnotation.h"
#include "host/stream/StreamAlgorithm.h"
#include "host/stream/TrackingSequence.h"
#include "host/stream/igtl/IgtlAddress.h"
#include "host/stream/sources/IgtlTrackingStream.h"
#include "host/stream/sources/PlaybackTrackingStream.h"
#include "host/stream/sources/SimulatedTracker.h"

#include <fmt/core.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>

namespace Tesselon {
namespace {

constexpr std::string_view category = "Session";
// The configuration key naming the transform of a recording that a sequence holds.
constexpr const char* transformKey = "transform";
// The configuration key naming which markup of a file holding several an entry is, from 0.
constexpr const char* markupKey = "markup";

void requireVolume(const SharedImageSet* volume)
{
    if (!volume)
        throw std::runtime_error("Open a volume first: markups are points on a volume.");
}

/// The N of a name "<kind> N", or 0 for other names.
int drawnNumber(const std::string& name, const std::string& kind)
{
    const std::string prefix = kind + " ";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    const std::string digits = name.substr(prefix.size());
    if (digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return 0;
    return std::stoi(digits);
}

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

std::vector<GlPointBasedAnnotation*> Session::openMarkups(const std::string& path)
{
    requireVolume(m_volume);
    auto objects = MarkupAnnotations::read(path);
    std::vector<GlPointBasedAnnotation*> added;
    for (std::size_t index = 0; index < objects.size(); ++index) {
        // Each markup of a file holding several is its own entry, so that removing one keeps it removed.
        Workspace::DataEntry entry{DataSource::Markups, path, Properties()};
        if (objects.size() > 1)
            entry.configuration.setParam(markupKey, static_cast<int>(index));
        added.push_back(addMarkups(std::move(objects[index]), std::move(entry)));
    }
    return added;
}

GlPointBasedAnnotation* Session::addDrawnAnnotation(std::unique_ptr<GlPointBasedAnnotation> annotation,
                                                    const std::string& name)
{
    requireVolume(m_volume);
    if (!annotation || annotation->points().size() < 2)
        throw std::invalid_argument("A drawn line or curve needs two points or more.");
    const std::string kind = MarkupAnnotations::kindOf(*annotation);
    int highest = 0;
    for (const auto& item : m_markups)
        highest = std::max(highest, drawnNumber(item.object->name(), kind));
    annotation->setName(name.empty() ? fmt::format("{} {}", kind, highest + 1) : name);
    MarkupAnnotations::setPathColour(*annotation);
    const std::string named = annotation->name();
    return addMarkups(std::move(annotation), {DataSource::DrawnAnnotation, named, Properties()});
}

GlPointBasedAnnotation* Session::addMarkups(std::unique_ptr<GlPointBasedAnnotation> markups,
                                            Workspace::DataEntry entry)
{
    Log::info(category, fmt::format("Added \"{}\" to the markups.", markups->name()));
    m_markups.push_back({std::move(markups), std::move(entry)});
    GlPointBasedAnnotation* added = m_markups.back().object.get();
    markupsAdded(added);
    return added;
}

std::unique_ptr<GlPointBasedAnnotation> Session::takeMarkups(const GlPointBasedAnnotation* markups)
{
    const auto found = std::find_if(m_markups.begin(), m_markups.end(),
                                    [markups](const auto& item) { return item.object.get() == markups; });
    if (found == m_markups.end())
        return nullptr;
    std::unique_ptr<GlPointBasedAnnotation> taken = std::move(found->object);
    m_markups.erase(found);
    markupsRemoved(taken.get());
    return taken;
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

std::vector<GlPointBasedAnnotation*> Session::markups() const
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
    for (const auto& markups : m_markups) {
        workspace.data.push_back(markups.entry);
        // Saved as it is now, edits included; the name also tells messages which one it is.
        if (markups.entry.type == DataSource::DrawnAnnotation) {
            workspace.data.back().source = markups.object->name();
            workspace.data.back().configuration = MarkupAnnotations::toConfiguration(*markups.object);
        }
    }
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
        case DataSource::DrawnAnnotation:
            restoreMarkups(entry);
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

void Session::restoreMarkups(const Workspace::DataEntry& entry)
{
    requireVolume(m_volume);
    if (entry.type == DataSource::DrawnAnnotation) {
        addMarkups(MarkupAnnotations::fromConfiguration(entry.configuration), entry);
        return;
    }
    int index = -1;
    if (!entry.configuration.param(markupKey, index)) {
        openMarkups(entry.source);
        return;
    }
    auto objects = MarkupAnnotations::read(entry.source);
    if (index < 0 || static_cast<std::size_t>(index) >= objects.size())
        throw std::runtime_error(
            fmt::format("the file holds {} markups, not markup {}.", objects.size(), index));
    addMarkups(std::move(objects[static_cast<std::size_t>(index)]), entry);
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
