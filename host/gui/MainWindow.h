#pragma once

#include "host/app/DataSource.h"
#include "host/core/base/SignalReceiver.h"
#include "host/core/model/DataList.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QDockWidget;
class QListWidget;
class QVBoxLayout;

namespace Tesselon {

class Algorithm;
class AlgorithmController;
class AlgorithmControllerFactory;
class AnnotationTools;
class ApplicationController;
class DisplayWidget;
class DisplayWidgetMulti;
class GlPointBasedAnnotation;
class LogView;
class Mesh;
class ScriptHost;
class Session;
class StreamController;
class TrackedToolsDisplay;
class TrackingStatusWidget;
class TrackingStream;

/// The host's main window, showing a `Session`: its data list, the File actions, the Annotations menu, the
/// algorithm menus offered for the selected data, each created algorithm's panel in the side area, the views
/// with the volume, markups and tracked tools, the log, a tracking lamp per instrument and a script console.
class MainWindow : public QMainWindow, public SignalReceiver
{
    Q_OBJECT

public:
    /// Shows what the session holds already and follows its changes. The session and the panel
    /// factories must outlive the window.
    MainWindow(Session& session, std::vector<AlgorithmControllerFactory*> controllerFactories,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    Session& session() { return m_session; }
    void select(const std::vector<Data*>& selection);
    DataList selection() const;
    /// The menus' entries: category → full algorithm ids, as offered for the current selection.
    std::map<std::string, std::vector<std::string>> offeredAlgorithms() const;

    DisplayWidgetMulti& views();
    ApplicationController& application() { return *m_application; }
    DisplayWidget& display() { return *m_display; }
    /// Renders the views and grabs the whole window.
    QImage screenshot();

    /// An open panel: the algorithm, its controller and the decorated widget shown in the side area. A
    /// connected stream's own panel has no algorithm but the stream.
    struct Panel
    {
        Algorithm* algorithm;
        /// Owned by `widget` when it is a widget itself, else by the window.
        AlgorithmController* controller;
        QWidget* widget;
        const Data* stream = nullptr;
        /// A panel that another panel owns and shows through the window: its widget is only lent.
        bool lent = false;
    };
    /// The open panels, oldest first.
    const std::vector<Panel>& panels() const { return m_panels; }
    /// Runs scripts on this window, for `tesselon gui --script` and View > Script console alike.
    ScriptHost& scriptHost() { return *m_scriptHost; }

private:
    void buildMenus();
    void rebuildAlgorithmMenus();
    void buildDocks();
    void showData(Data* data, DataSource source);
    void forgetData(Data* data);
    void showMarkups(GlPointBasedAnnotation* markups);
    void forgetMarkups(GlPointBasedAnnotation* markups);
    void showPanel(Algorithm* algorithm);
    void removePanel(Algorithm* algorithm);
    /// Removes the algorithm from the session, and with it its panel, once the caller has returned.
    void closeAlgorithm(Algorithm* algorithm);
    void erasePanel(std::vector<Panel>::iterator panel);
    /// The panel of a stream the user connected or opened, which no algorithm made.
    void showStreamPanel(TrackingStream& stream);
    void addToPanelArea(QWidget* decorated);
    void showSubPanel(AlgorithmController* panel, const std::string& title);
    void removeSubPanel(AlgorithmController* panel);
    /// Takes a lent panel's widget out of its frame, which goes.
    void giveBack(const Panel& subPanel);
    /// Recordings made in a stream's panel join the data.
    void takeRecordings(StreamController& panel);
    void openRecording(const std::string& path);
    void refreshDataList();
    void watchTrackingStreams();
    const std::shared_ptr<const Mesh>& toolMesh();
    void runFileAction(const QString& title, const std::function<void()>& action);

    Session& m_session;
    std::vector<AlgorithmControllerFactory*> m_controllerFactories;
    std::unique_ptr<ApplicationController> m_application;
    std::unique_ptr<ScriptHost> m_scriptHost;
    std::vector<Panel> m_panels;
    // Sub-panels that panels show while the window creates them, added after their owner.
    std::vector<Panel> m_pendingSubPanels;
    bool m_creatingPanel = false;
    std::map<const Data*, std::unique_ptr<TrackedToolsDisplay>> m_toolDisplays;
    std::shared_ptr<const Mesh> m_toolMesh;

    DisplayWidget* m_display;
    QListWidget* m_dataList;
    QVBoxLayout* m_panelLayout;
    QDockWidget* m_panelDock = nullptr;
    LogView* m_log;
    TrackingStatusWidget* m_status;
    std::vector<QMenu*> m_algorithmMenus;
    // A child of the window, deleted before the views it draws in.
    AnnotationTools* m_annotationTools = nullptr;
};

}  // namespace Tesselon
