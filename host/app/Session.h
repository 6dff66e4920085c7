#pragma once

#include "host/app/DataSource.h"
#include "host/app/Workspace.h"
#include "host/core/base/Signal.h"
#include "host/core/model/AlgorithmCatalog.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Tesselon {

class Algorithm;
class AlgorithmFactory;
class Configurable;
class Data;
class GlPointBasedAnnotation;
class SharedImageSet;
class TrackingRecording;
class TrackingSequence;
class TrackingStream;
struct IgtlAddress;

/// What the user works on, without widgets: the data with where each entry came from, the markups on the
/// volume (points, and the lines and curves of planned paths, loaded or drawn), the algorithms created with
/// their inputs and configuration, and the workspace that saves and restores all of it. The main window, the
/// command line and scripts drive it; the window shows it by listening to its signals, which it emits on the
/// thread that drives it.
class Session
{
public:
    /// The factories must outlive the session.
    explicit Session(std::vector<AlgorithmFactory*> algorithmFactories);
    /// Removes everything as `clear` does.
    ~Session();

    /// Each of these adds to the data and returns what it added; a file that cannot be read or a stream
    /// that does not start throws an error that names it, and nothing is added.
    SharedImageSet* openVolume(const std::string& path);
    /// The recording plays in a loop.
    TrackingStream* openRecording(const std::string& path);
    /// Each transform of the recording as one tracking sequence, in the recording's order, named after the
    /// file and the instrument.
    std::vector<TrackingSequence*> openRecordingAsSequences(const std::string& path);
    /// Sequences recorded from a stream in this session; a workspace cannot keep them.
    std::vector<TrackingSequence*> addRecordedSequences(
        std::vector<std::unique_ptr<TrackingSequence>> sequences);
    TrackingStream* connectSimulatedTracker(const Properties* configuration = nullptr);
    TrackingStream* connectIgtl(const IgtlAddress& address);
    /// One object per markup of the file (see `MarkupAnnotations::read`), all on the volume; throws without
    /// a volume.
    std::vector<GlPointBasedAnnotation*> openMarkups(const std::string& path);
    /// Adds a line or curve the user drew (or a plan made) on the volume, named `name`, or without one
    /// "Line 1", "Curve 1", ... after the highest such number in use; throws without a volume or two points.
    GlPointBasedAnnotation* addDrawnAnnotation(std::unique_ptr<GlPointBasedAnnotation> annotation,
                                               const std::string& name = {});
    /// Announces the markup's removal and hands it over; null for markups the session does not hold.
    std::unique_ptr<GlPointBasedAnnotation> takeMarkups(const GlPointBasedAnnotation* markups);

    std::vector<Data*> data() const;
    /// Throws std::out_of_range for data the session does not hold.
    DataSource sourceOf(const Data& data) const;
    /// The first volume opened: markups lie on it and the views show it. Null before one.
    SharedImageSet* volume() const { return m_volume; }
    std::vector<GlPointBasedAnnotation*> markups() const;

    const std::vector<AlgorithmFactory*>& algorithmFactories() const { return m_algorithmFactories; }
    /// The algorithms offered for this selection, by menu category, as their compatibility functions answer.
    std::map<std::string, std::vector<AlgorithmCatalog::Entry>> offeredAlgorithms(
        const DataList& selection) const;
    /// Creates the algorithm for these inputs and configures it; an algorithm that creates a stream runs
    /// at once and its stream joins the data. Null, with a logged error, when no factory makes it.
    Algorithm* createAlgorithm(std::string_view id, const DataList& inputs,
                               const Properties* configuration = nullptr);
    /// Adds what the algorithm has computed to the data; panels call it after each computation.
    void takeOutputs(Algorithm& algorithm);
    std::vector<Algorithm*> algorithms() const;

    /// The loaded data (not outputs, which their algorithms make again), then the markups, then the
    /// algorithms with their inputs renumbered accordingly.
    Workspace workspace() const;
    /// Adds what the workspace holds; entries that fail are logged and skipped.
    void restoreWorkspace(const Workspace& workspace);
    /// Throws as `Workspace::load` does; nothing is added then.
    void openWorkspace(const std::string& path);
    void saveWorkspace(const std::string& path) const;
    /// Removes the algorithms, then the markups, then the data newest first (a derived stream uses the
    /// streams added before it), announcing each before it goes.
    void clear();
    /// Announces the algorithm's removal, then deletes it; unknown algorithms are ignored.
    void removeAlgorithm(Algorithm* algorithm);

    Signal<Data*, DataSource> dataAdded;
    Signal<Data*> dataRemoved;
    Signal<GlPointBasedAnnotation*> markupsAdded;
    Signal<GlPointBasedAnnotation*> markupsRemoved;
    Signal<Algorithm*> algorithmCreated;
    Signal<Algorithm*> algorithmRemoved;

private:
    /// Something the session holds, with how a workspace makes it again.
    template <class T, class Entry>
    struct Item
    {
        std::unique_ptr<T> object;
        Entry entry;
    };

    template <class T>
    T* addData(std::unique_ptr<T> data, DataSource source, std::string location = {});
    Data* restoreData(const Workspace::DataEntry& entry);
    void restoreMarkups(const Workspace::DataEntry& entry);
    GlPointBasedAnnotation* addMarkups(std::unique_ptr<GlPointBasedAnnotation> markups,
                                       Workspace::DataEntry entry);
    TrackingSequence* addRecordingSequence(const TrackingRecording& recording, const std::string& path,
                                           const std::string& transform);
    std::vector<int> indicesOf(const DataList& inputs) const;
    const Configurable& savedConfigurationOf(const Algorithm& algorithm) const;

    std::vector<AlgorithmFactory*> m_algorithmFactories;
    std::vector<Item<Data, Workspace::DataEntry>> m_data;
    std::vector<Item<GlPointBasedAnnotation, Workspace::DataEntry>> m_markups;
    std::vector<Item<Algorithm, Workspace::AlgorithmEntry>> m_algorithms;
    SharedImageSet* m_volume = nullptr;
};

}  // namespace Tesselon
