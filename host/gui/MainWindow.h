#pragma once

#include "host/core/DataList.h"
#include "host/gui/Workspace.h"

#include <QMainWindow>

#include <map>
#include <memory>
#include <string>
#include <vector>

class QListWidget;
class QVBoxLayout;

namespace Tesselon {

class Algorithm;
class AlgorithmControllerFactory;
class AlgorithmController;
class AlgorithmFactory;
class Data;
class DisplayWidget;
class DisplayWidgetMulti;
class GlPoint;
class LogView;
class Mesh;
class SharedImageSet;
class TrackedToolsDisplay;
class TrackingStatusWidget;
class TrackingStream;

/// The host's main window: the data list, the File actions, the algorithm menus built from the factories
/// and offered for the current selection as the algorithms' compatibility functions answer, each created
/// algorithm's panel in the side area, the views, the log and a tracking lamp per instrument. Its state
/// saves to and restores from a `Workspace`.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    /// The factories must outlive the window.
    MainWindow(std::vector<AlgorithmFactory*> algorithmFactories,
               std::vector<AlgorithmControllerFactory*> controllerFactories, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Each of these adds a data object and returns it; a file that cannot be read throws an error that
    /// names it, and nothing is added.
    SharedImageSet* openVolume(const std::string& path);
    TrackingStream* openRecording(const std::string& path);
    /// Markups are points on the current volume, shown in every view; throws without a volume.
    void openMarkups(const std::string& path);
    TrackingStream* connectSimulatedTracker(const Properties* configuration = nullptr);
    TrackingStream* connectIgtl(const std::string& host, int port);

    std::vector<Data*> data() const;
    void select(const std::vector<Data*>& selection);
    DataList selection() const;

    /// The menus' entries: category → full algorithm ids, as offered for the current selection.
    std::map<std::string, std::vector<std::string>> offeredAlgorithms() const;
    /// Creates the algorithm for these inputs, configures it, shows its panel; algorithms that create a
    /// stream run at once and their stream joins the data. Null, with a logged error, when it cannot.
    Algorithm* createAlgorithm(const std::string& id, const DataList& inputs,
                               const Properties* configuration = nullptr);
    std::vector<Algorithm*> algorithms() const;

    Workspace workspace() const;
    /// Adds what the workspace holds; entries that fail are logged and skipped.
    void restoreWorkspace(const Workspace& workspace);

    DisplayWidgetMulti& views();
    DisplayWidget& display() { return *m_display; }
    /// Renders the views and grabs the whole window.
    QImage screenshot();

private:
    struct DataItem
    {
        std::unique_ptr<Data> data;
        Workspace::DataEntry entry;
    };

    struct AlgorithmItem
    {
        std::unique_ptr<Algorithm> algorithm;
        Workspace::AlgorithmEntry entry;
        /// Owned by `panel` when it is a widget itself, else by the window.
        AlgorithmController* controller = nullptr;
        QWidget* panel = nullptr;
    };

    void buildMenus();
    void rebuildAlgorithmMenus();
    void buildDocks();
    Data* addData(std::unique_ptr<Data> data, Workspace::DataEntry entry);
    void refreshDataList();
    void watchTrackingStreams();
    void showPanel(AlgorithmItem& item);
    void takeOutputs(Algorithm& algorithm);
    std::vector<int> indicesOf(const DataList& inputs) const;
    const std::shared_ptr<const Mesh>& toolMesh();
    void runFileAction(const QString& title, const std::function<void()>& action);

    std::vector<AlgorithmFactory*> m_algorithmFactories;
    std::vector<AlgorithmControllerFactory*> m_controllerFactories;
    std::unique_ptr<DisplayWidgetMulti> m_views;
    std::vector<DataItem> m_data;
    std::vector<AlgorithmItem> m_algorithms;
    std::vector<std::unique_ptr<TrackedToolsDisplay>> m_toolDisplays;
    std::vector<std::unique_ptr<GlPoint>> m_markups;
    std::vector<Workspace::DataEntry> m_markupEntries;
    std::shared_ptr<const Mesh> m_toolMesh;
    SharedImageSet* m_volume = nullptr;

    DisplayWidget* m_display;
    QListWidget* m_dataList;
    QVBoxLayout* m_panels;
    LogView* m_log;
    TrackingStatusWidget* m_status;
    std::vector<QMenu*> m_algorithmMenus;
};

}  // namespace Tesselon
