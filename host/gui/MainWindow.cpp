#include "host/gui/MainWindow.h"

#include "host/app/Session.h"
#include "host/core/base/Log.h"
#include "host/core/io/MeshIO.h"
#include "host/core/model/AlgorithmControllerFactory.h"
#include "host/core/model/Mesh.h"
#include "host/core/model/SharedImageSet.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/GlPoint.h"
#include "host/gl/ViewGroup.h"
#include "host/gui/DefaultAlgorithmController.h"
#include "host/gui/DefaultControllerDecorator.h"
#include "host/gui/DisplayWidget.h"
#include "host/gui/LogView.h"
#include "host/gui/ScriptConsole.h"
#include "host/gui/ScriptHost.h"
#include "host/gui/StreamController.h"
#include "host/gui/TrackedToolsDisplay.h"
#include "host/gui/TrackingStatusWidget.h"
#include "host/stream/StreamAlgorithm.h"
#include "host/stream/TrackingSequence.h"
#include "host/stream/TrackingStream.h"
#include "host/stream/igtl/IgtlAddress.h"

#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace Tesselon {
namespace {

constexpr std::string_view category = "MainWindow";
constexpr const char* toolMeshResource = ":/TrackingPointer.obj";
// The host's menu order; other categories follow alphabetically.
const std::vector<std::string> menuOrder = {"Streaming", "Registration", "Visualization"};

std::vector<std::string> orderedCategories(
    const std::map<std::string, std::vector<AlgorithmCatalog::Entry>>& all)
{
    std::vector<std::string> categories = menuOrder;
    for (const auto& [name, entries] : all)
        if (std::find(categories.begin(), categories.end(), name) == categories.end())
            categories.push_back(name);
    return categories;
}

QString dataLabel(const Data& data)
{
    const char* kind = dynamic_cast<const TrackingStream*>(&data)     ? "Stream"
                       : dynamic_cast<const SharedImageSet*>(&data)   ? "Volume"
                       : dynamic_cast<const TrackingSequence*>(&data) ? "Sequence"
                                                                      : "Data";
    return QString("%1  [%2]").arg(QString::fromStdString(data.name()), kind);
}

}  // namespace

MainWindow::MainWindow(Session& session, std::vector<AlgorithmControllerFactory*> controllerFactories,
                       QWidget* parent)
    : QMainWindow(parent),
      m_session(session),
      m_controllerFactories(std::move(controllerFactories)),
      m_application(std::make_unique<ApplicationController>()),
      m_scriptHost(std::make_unique<ScriptHost>(*this)),
      m_display(new DisplayWidget(&m_application->display())),
      m_dataList(new QListWidget),
      m_panelLayout(new QVBoxLayout),
      m_log(new LogView),
      m_status(new TrackingStatusWidget)
{
    setWindowTitle("Tesselon");
    setCentralWidget(m_display);
    buildDocks();
    buildMenus();
    statusBar()->addWidget(new QLabel(tr("Tracking:")));
    statusBar()->addWidget(m_status, 1);
    resize(1400, 900);

    for (Data* data : session.data())
        showData(data, session.sourceOf(*data));
    for (GlPoint* markups : session.markups())
        showMarkups(markups);
    for (Algorithm* algorithm : session.algorithms())
        showPanel(algorithm);
    session.dataAdded.connect(this, &MainWindow::showData);
    session.dataRemoved.connect(this, &MainWindow::forgetData);
    session.markupsAdded.connect(this, &MainWindow::showMarkups);
    session.markupsRemoved.connect(this, &MainWindow::forgetMarkups);
    session.algorithmCreated.connect(this, &MainWindow::showPanel);
    session.algorithmRemoved.connect(this, &MainWindow::removePanel);
    m_application->removalRequested.connect(this, &MainWindow::closeAlgorithm);
    m_application->subPanelShown.connect(this, &MainWindow::showSubPanel);
    m_application->subPanelRemoved.connect(this, &MainWindow::removeSubPanel);
}

MainWindow::~MainWindow()
{
    disconnectAll();
    // Panels go before the algorithms they show; tool displays and markups before the views.
    while (!m_panels.empty())
        erasePanel(std::prev(m_panels.end()));
    m_toolDisplays.clear();
    m_status->setStreams({});
    for (GlPoint* markups : m_session.markups())
        views().viewGroup()->removeObject(markups);
    delete m_display;
}

DisplayWidgetMulti& MainWindow::views()
{
    return m_application->display();
}

void MainWindow::buildDocks()
{
    m_dataList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(m_dataList, &QListWidget::itemSelectionChanged, this, [this] { rebuildAlgorithmMenus(); });
    auto* dataDock = new QDockWidget(tr("Data"), this);
    dataDock->setObjectName("DataDock");
    dataDock->setWidget(m_dataList);
    addDockWidget(Qt::LeftDockWidgetArea, dataDock);

    auto* panelArea = new QWidget;
    auto* panelLayout = new QVBoxLayout(panelArea);
    panelLayout->addLayout(m_panelLayout);
    panelLayout->addStretch();
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setWidget(panelArea);
    m_panelDock = new QDockWidget(tr("Algorithms"), this);
    m_panelDock->setObjectName("AlgorithmDock");
    m_panelDock->setWidget(scroll);
    m_panelDock->setMinimumWidth(400);
    addDockWidget(Qt::RightDockWidgetArea, m_panelDock);

    auto* logDock = new QDockWidget(tr("Log"), this);
    logDock->setObjectName("LogDock");
    logDock->setWidget(m_log);
    addDockWidget(Qt::BottomDockWidgetArea, logDock);

    auto* consoleDock = new QDockWidget(tr("Script console"), this);
    consoleDock->setObjectName("ScriptConsoleDock");
    consoleDock->setWidget(new ScriptConsole(*m_scriptHost));
    addDockWidget(Qt::BottomDockWidgetArea, consoleDock);
    splitDockWidget(logDock, consoleDock, Qt::Horizontal);
    consoleDock->hide();
    // A dock shown later gets its minimum size; the console needs room for a few lines of script.
    connect(consoleDock, &QDockWidget::visibilityChanged, this, [this, logDock, consoleDock](bool visible) {
        if (!visible)
            return;
        resizeDocks({logDock, consoleDock}, {width() / 2, width() / 2}, Qt::Horizontal);
        resizeDocks({consoleDock}, {height() / 4}, Qt::Vertical);
    });
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    const auto addOpenAction = [&](const QString& text, const QString& title, const QString& filter,
                                   std::function<void(const std::string&)> open) {
        file->addAction(text, this, [this, title, filter, open] {
            const QString path = QFileDialog::getOpenFileName(this, title, {}, filter);
            if (!path.isEmpty())
                runFileAction(title, [&] { open(path.toStdString()); });
        });
    };
    addOpenAction(tr("Open &Volume..."), tr("Open Volume"), tr("Volumes (*.nii *.nii.gz *.mha *.mhd)"),
                  [this](const std::string& path) { m_session.openVolume(path); });
    addOpenAction(tr("Open &Recording..."), tr("Open Recording"),
                  tr("Recordings (*.mha *.mhd *.txt *.csv *.tsv)"),
                  [this](const std::string& path) { openRecording(path); });
    addOpenAction(tr("Open &Markups..."), tr("Open Markups"), tr("Point lists (*.json *.csv)"),
                  [this](const std::string& path) { m_session.openMarkups(path); });
    file->addSeparator();
    file->addAction(tr("Connect &Simulated Tracker"), this,
                    [this] { runFileAction(tr("Connect"), [&] { m_session.connectSimulatedTracker(); }); });
    file->addAction(tr("Connect &OpenIGTLink Server..."), this, [this] {
        bool ok = false;
        const QString address =
            QInputDialog::getText(this, tr("Connect OpenIGTLink Server"), tr("HOST:PORT"), QLineEdit::Normal,
                                  QString::fromStdString(IgtlAddress().toString()), &ok);
        if (ok && !address.isEmpty())
            runFileAction(tr("Connect"),
                          [&] { m_session.connectIgtl(IgtlAddress::parse(address.toStdString())); });
    });
    file->addSeparator();
    addOpenAction(tr("Open &Workspace..."), tr("Open Workspace"), tr("Workspaces (*.workspace *.xml)"),
                  [this](const std::string& path) { m_session.openWorkspace(path); });
    file->addAction(tr("Save Workspace &As..."), this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, tr("Save Workspace"), {},
                                                          tr("Workspaces (*.workspace *.xml)"));
        if (!path.isEmpty())
            runFileAction(tr("Save Workspace"), [&] { m_session.saveWorkspace(path.toStdString()); });
    });
    file->addSeparator();
    file->addAction(tr("&Quit"), this, &QWidget::close);
    QMenu* view = menuBar()->addMenu(tr("&View"));
    QAction* console = findChild<QDockWidget*>("ScriptConsoleDock")->toggleViewAction();
    console->setText(tr("&Script console"));
    view->addAction(console);
    rebuildAlgorithmMenus();
}

void MainWindow::rebuildAlgorithmMenus()
{
    if (m_algorithmMenus.empty())
        for (const std::string& name :
             orderedCategories(AlgorithmCatalog(m_session.algorithmFactories()).byCategory()))
            m_algorithmMenus.push_back(menuBar()->addMenu(QString::fromStdString(name)));
    const auto offered = m_session.offeredAlgorithms(selection());
    for (QMenu* menu : m_algorithmMenus) {
        menu->clear();
        const auto entries = offered.find(menu->title().toStdString());
        if (entries == offered.end()) {
            menu->addAction(tr("Nothing for this selection"))->setEnabled(false);
            continue;
        }
        for (const AlgorithmCatalog::Entry& entry : entries->second) {
            const std::string id = entry.descriptor->id;
            QAction* action = menu->addAction(QString::fromStdString(entry.descriptor->displayName()));
            action->setData(QString::fromStdString(id));
            connect(action, &QAction::triggered, this,
                    [this, id] { m_session.createAlgorithm(id, selection()); });
        }
    }
}

std::map<std::string, std::vector<std::string>> MainWindow::offeredAlgorithms() const
{
    std::map<std::string, std::vector<std::string>> offered;
    for (const QMenu* menu : m_algorithmMenus)
        for (const QAction* action : menu->actions())
            if (action->isEnabled() && action->data().isValid())
                offered[menu->title().toStdString()].push_back(action->data().toString().toStdString());
    return offered;
}

void MainWindow::openRecording(const std::string& path)
{
    QMessageBox question(QMessageBox::Question, tr("Open Recording"),
                         tr("Play the recording as a tracking stream, or load each of its instruments as a "
                            "tracking sequence (for a tool calibration, for example)?"),
                         QMessageBox::Cancel, this);
    QPushButton* play = question.addButton(tr("Play as Stream"), QMessageBox::AcceptRole);
    QPushButton* load = question.addButton(tr("Load as Sequences"), QMessageBox::AcceptRole);
    question.setDefaultButton(play);
    question.exec();
    if (question.clickedButton() == play)
        m_session.openRecording(path);
    else if (question.clickedButton() == load)
        m_session.openRecordingAsSequences(path);
}

void MainWindow::runFileAction(const QString& title, const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        Log::error(category, error.what());
        QMessageBox::warning(this, title, QString::fromStdString(error.what()));
    }
}

void MainWindow::showData(Data* data, DataSource source)
{
    refreshDataList();
    if (data == m_session.volume())
        m_display->setVolume(m_session.volume());
    auto* stream = dynamic_cast<TrackingStream*>(data);
    if (!stream)
        return;
    // Tools are drawn for the trackers the user connected; a derived stream's poses would double them.
    if (source != DataSource::AlgorithmOutput) {
        m_toolDisplays[data] =
            std::make_unique<TrackedToolsDisplay>(*stream, *views().viewGroup(), toolMesh());
        showStreamPanel(*stream);
    }
    watchTrackingStreams();
}

void MainWindow::forgetData(Data* data)
{
    m_toolDisplays.erase(data);
    AnnotationModel& annotations = m_application->annotations();
    for (InteractiveObject* annotation : annotations.getAnnotations(data))
        annotations.remove(annotation, true);
    if (const auto panel = std::find_if(m_panels.begin(), m_panels.end(),
                                        [data](const Panel& p) { return p.stream == data; });
        panel != m_panels.end())
        erasePanel(panel);
    if (!m_session.volume())
        m_display->setVolume(nullptr);
    watchTrackingStreams();
    refreshDataList();
}

void MainWindow::showMarkups(GlPoint* markups)
{
    views().viewGroup()->addObject(markups);
    refreshDataList();
}

void MainWindow::forgetMarkups(GlPoint* markups)
{
    views().viewGroup()->removeObject(markups);
    refreshDataList();
}

void MainWindow::refreshDataList()
{
    const std::vector<Data*> selected = selection().getAll();
    const QSignalBlocker blocker(m_dataList);
    m_dataList->clear();
    for (Data* data : m_session.data()) {
        auto* row = new QListWidgetItem(dataLabel(*data), m_dataList);
        row->setSelected(std::find(selected.begin(), selected.end(), data) != selected.end());
    }
    for (const GlPoint* markups : m_session.markups())
        new QListWidgetItem(QString("%1  [Annotation]").arg(QString::fromStdString(markups->name())),
                            m_dataList);
    rebuildAlgorithmMenus();
}

void MainWindow::watchTrackingStreams()
{
    std::vector<TrackingStream*> streams;
    for (Data* data : m_session.data())
        if (auto* stream = dynamic_cast<TrackingStream*>(data))
            streams.push_back(stream);
    m_status->setStreams(streams);
}

const std::shared_ptr<const Mesh>& MainWindow::toolMesh()
{
    if (!m_toolMesh) {
        QFile file(toolMeshResource);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            m_toolMesh = std::make_shared<const Mesh>(
                MeshIO::load(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                             "obj", toolMeshResource));
        } else {
            Log::warning(category, "The tool mesh is not compiled into this program; tools show as nothing.");
            m_toolMesh = std::make_shared<const Mesh>();
        }
    }
    return m_toolMesh;
}

void MainWindow::select(const std::vector<Data*>& selection)
{
    {
        const QSignalBlocker blocker(m_dataList);
        const std::vector<Data*> data = m_session.data();
        const auto rows = std::min(data.size(), static_cast<std::size_t>(m_dataList->count()));
        for (std::size_t row = 0; row < rows; ++row)
            m_dataList->item(static_cast<int>(row))
                ->setSelected(std::find(selection.begin(), selection.end(), data[row]) != selection.end());
    }
    rebuildAlgorithmMenus();
}

DataList MainWindow::selection() const
{
    DataList selected;
    // The list lags one entry behind while data is being added or removed.
    const std::vector<Data*> data = m_session.data();
    const auto rows = std::min(data.size(), static_cast<std::size_t>(m_dataList->count()));
    for (std::size_t row = 0; row < rows; ++row)
        if (m_dataList->item(static_cast<int>(row))->isSelected())
            selected.add(data[row]);
    return selected;
}

void MainWindow::showPanel(Algorithm* algorithm)
{
    AlgorithmController* controller = nullptr;
    for (AlgorithmControllerFactory* factory : m_controllerFactories)
        if ((controller = factory->create(algorithm)))
            break;
    if (!controller)
        controller = new DefaultAlgorithmController(algorithm);
    if (auto* panel = dynamic_cast<DefaultAlgorithmController*>(controller))
        connect(panel, &DefaultAlgorithmController::computed, this,
                [this, algorithm] { m_session.takeOutputs(*algorithm); });
    if (auto* panel = dynamic_cast<StreamController*>(controller))
        takeRecordings(*panel);
    controller->setApplicationController(m_application.get());
    m_creatingPanel = true;
    controller->init();
    m_creatingPanel = false;
    auto* decorator = new DefaultControllerDecorator(controller);
    // A stream's algorithm panel is the panel of the stream it made, which stays among the data.
    decorator->setClosable(!dynamic_cast<StreamAlgorithm*>(algorithm));
    connect(decorator, &DefaultControllerDecorator::closeRequested, this,
            [this, algorithm] { closeAlgorithm(algorithm); });
    m_panels.push_back({algorithm, controller, decorator});
    addToPanelArea(decorator);
    for (Panel& subPanel : std::exchange(m_pendingSubPanels, {})) {
        m_panels.push_back(subPanel);
        addToPanelArea(subPanel.widget);
    }
}

void MainWindow::showSubPanel(AlgorithmController* panel, const std::string& title)
{
    auto* decorator = new DefaultControllerDecorator(panel);
    decorator->setTitleOverride(QString::fromStdString(title));
    const Panel subPanel{panel->algorithm(), panel, decorator, nullptr, true};
    if (m_creatingPanel) {
        m_pendingSubPanels.push_back(subPanel);
        return;
    }
    m_panels.push_back(subPanel);
    addToPanelArea(decorator);
}

void MainWindow::removeSubPanel(AlgorithmController* panel)
{
    const auto lentPanel = [panel](const Panel& p) { return p.lent && p.controller == panel; };
    if (const auto found = std::ranges::find_if(m_panels, lentPanel); found != m_panels.end())
        erasePanel(found);
    if (const auto pending = std::ranges::find_if(m_pendingSubPanels, lentPanel);
        pending != m_pendingSubPanels.end()) {
        giveBack(*pending);
        m_pendingSubPanels.erase(pending);
    }
}

void MainWindow::showStreamPanel(TrackingStream& stream)
{
    auto* panel = new StreamController(nullptr, &stream);
    takeRecordings(*panel);
    auto* decorator = new DefaultControllerDecorator(panel, QString::fromStdString(stream.name()));
    m_panels.push_back({nullptr, panel, decorator, &stream});
    addToPanelArea(decorator);
}

void MainWindow::addToPanelArea(QWidget* decorated)
{
    m_panelLayout->addWidget(decorated);
    // The area widens to the widest panel, so no panel is cut off behind a scroll bar.
    const int scrollBarAndFrame = 40;
    const int wanted = decorated->minimumSizeHint().width() + scrollBarAndFrame;
    if (wanted > m_panelDock->minimumWidth())
        m_panelDock->setMinimumWidth(wanted);
}

void MainWindow::takeRecordings(StreamController& panel)
{
    connect(&panel, &StreamController::recorded, this,
            [this](std::shared_ptr<StreamRecordingWidget::Sequences> sequences) {
                m_session.addRecordedSequences(std::move(*sequences));
            });
}

void MainWindow::closeAlgorithm(Algorithm* algorithm)
{
    // Later: the request comes from inside the panel that closing deletes.
    QTimer::singleShot(0, this, [this, algorithm] { m_session.removeAlgorithm(algorithm); });
}

void MainWindow::removePanel(Algorithm* algorithm)
{
    const auto panel = std::find_if(m_panels.begin(), m_panels.end(),
                                    [algorithm](const Panel& p) { return p.algorithm == algorithm; });
    if (algorithm && panel != m_panels.end())
        erasePanel(panel);
}

void MainWindow::erasePanel(std::vector<Panel>::iterator panel)
{
    // Out of the list first: deleting a panel may remove the sub-panels it lent.
    const Panel erased = *panel;
    m_panels.erase(panel);
    if (erased.lent) {
        giveBack(erased);
        return;
    }
    if (!dynamic_cast<QWidget*>(erased.controller))
        delete erased.controller;
    delete erased.widget;
}

void MainWindow::giveBack(const Panel& subPanel)
{
    if (QWidget* content = subPanel.controller->widget()) {
        content->hide();
        content->setParent(nullptr);
    }
    delete subPanel.widget;
}

QImage MainWindow::screenshot()
{
    m_status->refresh();
    for (auto& [data, tools] : m_toolDisplays)
        tools->refresh();
    QApplication::processEvents();
    m_display->renderNow();
    QImage image = grab().toImage();
    // The views render through OpenGL, which a widget grab does not always capture.
    QPainter painter(&image);
    painter.drawImage(m_display->mapTo(this, QPoint(0, 0)), m_display->grabImage());
    return image;
}

}  // namespace Tesselon
