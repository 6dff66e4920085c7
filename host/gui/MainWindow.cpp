#include "host/gui/MainWindow.h"

#include "host/core/AlgorithmCatalog.h"
#include "host/core/AlgorithmControllerFactory.h"
#include "host/core/AlgorithmFactory.h"
#include "host/core/Log.h"
#include "host/core/Mesh.h"
#include "host/core/SharedImageSet.h"
#include "host/core/io/ImageVolumeFile.h"
#include "host/core/io/MeshIO.h"
#include "host/core/io/PointListFile.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/GlPoint.h"
#include "host/gl/ViewGroup.h"
#include "host/gui/DefaultAlgorithmController.h"
#include "host/gui/DefaultControllerDecorator.h"
#include "host/gui/DisplayWidget.h"
#include "host/gui/LogView.h"
#include "host/gui/TrackedToolsDisplay.h"
#include "host/gui/TrackingStatusWidget.h"
#include "host/stream/sources/IgtlTrackingStream.h"
#include "host/stream/sources/PlaybackTrackingStream.h"
#include "host/stream/sources/SimulatedTracker.h"

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
#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>

#include <fmt/core.h>

#include <algorithm>
#include <filesystem>

namespace Tesselon {
namespace {

constexpr std::string_view category = "MainWindow";
constexpr const char* toolMeshResource = ":/TrackingPointer.obj";
// A soft-tissue window: organs apart, bone white, air black.
constexpr double softTissueWindow = 400.0;
constexpr double softTissueLevel = 40.0;
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
    const char* kind = dynamic_cast<const TrackingStream*>(&data)   ? "Stream"
                       : dynamic_cast<const SharedImageSet*>(&data) ? "Volume"
                                                                    : "Data";
    return QString("%1  [%2]").arg(QString::fromStdString(data.name()), kind);
}

Workspace::DataEntry dataEntry(std::string type, std::string source)
{
    return {std::move(type), std::move(source), Properties()};
}

template <class T>
std::unique_ptr<T> startedStream(std::unique_ptr<T> stream)
{
    if (!stream->open() || !stream->start())
        throw std::runtime_error("The stream \"" + stream->name() + "\" did not start.");
    return stream;
}

}  // namespace

MainWindow::MainWindow(std::vector<AlgorithmFactory*> algorithmFactories,
                       std::vector<AlgorithmControllerFactory*> controllerFactories, QWidget* parent)
    : QMainWindow(parent),
      m_algorithmFactories(std::move(algorithmFactories)),
      m_controllerFactories(std::move(controllerFactories)),
      m_views(std::make_unique<DisplayWidgetMulti>()),
      m_display(new DisplayWidget(m_views.get())),
      m_dataList(new QListWidget),
      m_panels(new QVBoxLayout),
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
}

MainWindow::~MainWindow()
{
    // Panels and algorithms go before the data they use; tool displays before the views.
    for (AlgorithmItem& item : m_algorithms) {
        if (!dynamic_cast<QWidget*>(item.controller))
            delete item.controller;
        delete item.panel;
    }
    m_algorithms.clear();
    m_toolDisplays.clear();
    m_status->setStreams({});
    for (auto& point : m_markups)
        m_views->viewGroup()->removeObject(point.get());
    // Newest first: a derived stream uses the streams added before it until it is gone.
    while (!m_data.empty()) {
        if (auto* stream = dynamic_cast<Stream*>(m_data.back().data.get()))
            stream->stop();
        m_data.pop_back();
    }
    delete m_display;
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
    panelLayout->addLayout(m_panels);
    panelLayout->addStretch();
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setWidget(panelArea);
    auto* panelDock = new QDockWidget(tr("Algorithms"), this);
    panelDock->setObjectName("AlgorithmDock");
    panelDock->setWidget(scroll);
    panelDock->setMinimumWidth(320);
    addDockWidget(Qt::RightDockWidgetArea, panelDock);

    auto* logDock = new QDockWidget(tr("Log"), this);
    logDock->setObjectName("LogDock");
    logDock->setWidget(m_log);
    addDockWidget(Qt::BottomDockWidgetArea, logDock);
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("Open &Volume..."), this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, tr("Open Volume"), {},
                                                          tr("Volumes (*.nii *.nii.gz *.mha *.mhd)"));
        if (!path.isEmpty())
            runFileAction(tr("Open Volume"), [&] { openVolume(path.toStdString()); });
    });
    file->addAction(tr("Open &Recording..."), this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, tr("Open Recording"), {},
                                                          tr("Recordings (*.mha *.mhd *.txt *.csv *.tsv)"));
        if (!path.isEmpty())
            runFileAction(tr("Open Recording"), [&] { openRecording(path.toStdString()); });
    });
    file->addAction(tr("Open &Markups..."), this, [this] {
        const QString path =
            QFileDialog::getOpenFileName(this, tr("Open Markups"), {}, tr("Point lists (*.json *.csv)"));
        if (!path.isEmpty())
            runFileAction(tr("Open Markups"), [&] { openMarkups(path.toStdString()); });
    });
    file->addSeparator();
    file->addAction(tr("Connect &Simulated Tracker"), this,
                    [this] { runFileAction(tr("Connect"), [&] { connectSimulatedTracker(); }); });
    file->addAction(tr("Connect &OpenIGTLink Server..."), this, [this] {
        bool ok = false;
        const QString address = QInputDialog::getText(this, tr("Connect OpenIGTLink Server"), tr("HOST:PORT"),
                                                      QLineEdit::Normal, "localhost:18944", &ok);
        if (!ok || address.isEmpty())
            return;
        const QStringList parts = address.split(':');
        runFileAction(tr("Connect"), [&] {
            connectIgtl(parts.value(0).toStdString(), parts.size() > 1 ? parts.value(1).toInt() : 18944);
        });
    });
    file->addSeparator();
    file->addAction(tr("Open &Workspace..."), this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, tr("Open Workspace"), {},
                                                          tr("Workspaces (*.workspace *.xml)"));
        if (!path.isEmpty())
            runFileAction(tr("Open Workspace"),
                          [&] { restoreWorkspace(Workspace::load(path.toStdString())); });
    });
    file->addAction(tr("Save Workspace &As..."), this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, tr("Save Workspace"), {},
                                                          tr("Workspaces (*.workspace *.xml)"));
        if (!path.isEmpty())
            runFileAction(tr("Save Workspace"), [&] { workspace().save(path.toStdString()); });
    });
    file->addSeparator();
    file->addAction(tr("&Quit"), this, &QWidget::close);
    rebuildAlgorithmMenus();
}

void MainWindow::rebuildAlgorithmMenus()
{
    const AlgorithmCatalog catalog(m_algorithmFactories);
    if (m_algorithmMenus.empty())
        for (const std::string& name : orderedCategories(catalog.byCategory()))
            m_algorithmMenus.push_back(menuBar()->addMenu(QString::fromStdString(name)));
    const auto offered = catalog.byCategory(selection());
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
            connect(action, &QAction::triggered, this, [this, id] { createAlgorithm(id, selection()); });
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

void MainWindow::runFileAction(const QString& title, const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        Log::error(category, error.what());
        QMessageBox::warning(this, title, QString::fromStdString(error.what()));
    }
}

Data* MainWindow::addData(std::unique_ptr<Data> data, Workspace::DataEntry entry)
{
    Data* added = data.get();
    // Tools are drawn for the trackers the user connected; a derived stream's poses would double them.
    const bool drawTools = entry.type != "output";
    Log::info(category, fmt::format("Added \"{}\" to the data.", added->name()));
    m_data.push_back({std::move(data), std::move(entry)});
    refreshDataList();
    if (auto* stream = dynamic_cast<TrackingStream*>(added)) {
        if (drawTools)
            m_toolDisplays.push_back(
                std::make_unique<TrackedToolsDisplay>(*stream, *m_views->viewGroup(), toolMesh()));
        watchTrackingStreams();
    }
    return added;
}

void MainWindow::refreshDataList()
{
    const std::vector<Data*> selected = selection().getAll();
    const QSignalBlocker blocker(m_dataList);
    m_dataList->clear();
    for (const DataItem& item : m_data) {
        auto* row = new QListWidgetItem(dataLabel(*item.data), m_dataList);
        row->setSelected(std::find(selected.begin(), selected.end(), item.data.get()) != selected.end());
    }
    for (const auto& point : m_markups)
        new QListWidgetItem(QString("%1  [Annotation]").arg(QString::fromStdString(point->name())),
                            m_dataList);
    rebuildAlgorithmMenus();
}

void MainWindow::watchTrackingStreams()
{
    std::vector<TrackingStream*> streams;
    for (const DataItem& item : m_data)
        if (auto* stream = dynamic_cast<TrackingStream*>(item.data.get()))
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

SharedImageSet* MainWindow::openVolume(const std::string& path)
{
    auto* volume =
        static_cast<SharedImageSet*>(addData(ImageVolumeFile::read(path), dataEntry("volume", path)));
    if (!m_volume) {
        m_volume = volume;
        m_display->setVolume(volume);
    }
    return volume;
}

TrackingStream* MainWindow::openRecording(const std::string& path)
{
    auto playback = PlaybackTrackingStream::fromFile(path);
    Properties looping;
    looping.setParam("loop", true);
    playback->configure(&looping);
    return static_cast<TrackingStream*>(
        addData(startedStream(std::move(playback)), dataEntry("recording", path)));
}

void MainWindow::openMarkups(const std::string& path)
{
    if (!m_volume)
        throw std::runtime_error("Open a volume first: markups are points on a volume.");
    const PointList points = PointListFile::read(path);
    auto markup = std::make_unique<GlPoint>();
    markup->setName(std::filesystem::path(path).filename().string());
    for (const PointList::Point& point : points.points)
        markup->addPoint(point.position);
    markup->setColor(Eigen::Vector3d(0.3, 0.8, 1.0));
    m_views->viewGroup()->addObject(markup.get());
    m_markups.push_back(std::move(markup));
    m_markupEntries.push_back(dataEntry("markups", path));
    refreshDataList();
}

TrackingStream* MainWindow::connectSimulatedTracker(const Properties* configuration)
{
    auto tracker = std::make_unique<SimulatedTracker>();
    tracker->configure(configuration);
    return static_cast<TrackingStream*>(
        addData(startedStream(std::move(tracker)), dataEntry("simulatedTracker", "")));
}

TrackingStream* MainWindow::connectIgtl(const std::string& host, int port)
{
    auto stream = std::make_unique<IgtlTrackingStream>();
    Properties address;
    address.setParam("host", host);
    address.setParam("port", port);
    stream->configure(&address);
    return static_cast<TrackingStream*>(
        addData(startedStream(std::move(stream)), dataEntry("igtl", fmt::format("{}:{}", host, port))));
}

std::vector<Data*> MainWindow::data() const
{
    std::vector<Data*> all;
    for (const DataItem& item : m_data)
        all.push_back(item.data.get());
    return all;
}

void MainWindow::select(const std::vector<Data*>& selection)
{
    {
        const QSignalBlocker blocker(m_dataList);
        const auto rows = std::min(m_data.size(), static_cast<std::size_t>(m_dataList->count()));
        for (std::size_t row = 0; row < rows; ++row)
            m_dataList->item(static_cast<int>(row))
                ->setSelected(std::find(selection.begin(), selection.end(), m_data[row].data.get()) !=
                              selection.end());
    }
    rebuildAlgorithmMenus();
}

DataList MainWindow::selection() const
{
    DataList selected;
    // The list may lag one entry behind while data is being added.
    const auto rows = std::min(m_data.size(), static_cast<std::size_t>(m_dataList->count()));
    for (std::size_t row = 0; row < rows; ++row)
        if (m_dataList->item(static_cast<int>(row))->isSelected())
            selected.add(m_data[row].data.get());
    return selected;
}

Algorithm* MainWindow::createAlgorithm(const std::string& id, const DataList& inputs,
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
    Workspace::AlgorithmEntry entry{id, indicesOf(inputs), Properties()};
    m_algorithms.push_back({std::move(algorithm), std::move(entry), nullptr, nullptr});
    AlgorithmItem& item = m_algorithms.back();
    // A stream's algorithm makes its stream at once, as choosing it from the menu promises.
    if (id.find("CreateStream") != std::string::npos) {
        item.algorithm->compute();
        takeOutputs(*item.algorithm);
    }
    showPanel(item);
    return item.algorithm.get();
}

void MainWindow::showPanel(AlgorithmItem& item)
{
    AlgorithmController* controller = nullptr;
    for (AlgorithmControllerFactory* factory : m_controllerFactories)
        if ((controller = factory->create(item.algorithm.get())))
            break;
    if (!controller) {
        auto* panel = new DefaultAlgorithmController(item.algorithm.get());
        Algorithm* algorithm = item.algorithm.get();
        connect(panel, &DefaultAlgorithmController::computed, this,
                [this, algorithm] { takeOutputs(*algorithm); });
        controller = panel;
    }
    item.controller = controller;
    controller->init();
    auto* decorator = new DefaultControllerDecorator(controller);
    item.panel = decorator;
    m_panels->addWidget(decorator);
}

void MainWindow::takeOutputs(Algorithm& algorithm)
{
    for (auto& output : algorithm.takeOutput())
        addData(std::move(output), dataEntry("output", ""));
}

std::vector<int> MainWindow::indicesOf(const DataList& inputs) const
{
    std::vector<int> indices;
    for (Data* input : inputs)
        for (std::size_t i = 0; i < m_data.size(); ++i)
            if (m_data[i].data.get() == input)
                indices.push_back(static_cast<int>(i));
    return indices;
}

std::vector<Algorithm*> MainWindow::algorithms() const
{
    std::vector<Algorithm*> all;
    for (const AlgorithmItem& item : m_algorithms)
        all.push_back(item.algorithm.get());
    return all;
}

Workspace MainWindow::workspace() const
{
    // Outputs are made again by their algorithms, so only loaded data is saved; indices follow suit.
    Workspace workspace;
    std::vector<int> savedIndex(m_data.size(), -1);
    for (std::size_t i = 0; i < m_data.size(); ++i) {
        if (m_data[i].entry.type == "output")
            continue;
        Workspace::DataEntry entry = m_data[i].entry;
        if (const auto* stream = dynamic_cast<const Stream*>(m_data[i].data.get()))
            stream->configuration(&entry.configuration);
        savedIndex[i] = static_cast<int>(workspace.data.size());
        workspace.data.push_back(std::move(entry));
    }
    for (const Workspace::DataEntry& markup : m_markupEntries)
        workspace.data.push_back(markup);
    for (const AlgorithmItem& item : m_algorithms) {
        Workspace::AlgorithmEntry entry = item.entry;
        entry.inputs.clear();
        for (int input : item.entry.inputs)
            if (savedIndex[static_cast<std::size_t>(input)] >= 0)
                entry.inputs.push_back(savedIndex[static_cast<std::size_t>(input)]);
        item.algorithm->configuration(&entry.configuration);
        workspace.algorithms.push_back(std::move(entry));
    }
    return workspace;
}

void MainWindow::restoreWorkspace(const Workspace& workspace)
{
    std::vector<Data*> restored;
    for (const Workspace::DataEntry& entry : workspace.data) {
        Data* data = nullptr;
        try {
            if (entry.type == "volume")
                data = openVolume(entry.source);
            else if (entry.type == "recording")
                data = openRecording(entry.source);
            else if (entry.type == "markups")
                openMarkups(entry.source);
            else if (entry.type == "simulatedTracker")
                data = connectSimulatedTracker(&entry.configuration);
            else if (entry.type == "igtl") {
                const auto colon = entry.source.rfind(':');
                data = connectIgtl(
                    entry.source.substr(0, colon),
                    colon == std::string::npos ? 18944 : std::stoi(entry.source.substr(colon + 1)));
            } else
                Log::error(category,
                           fmt::format("The workspace holds data of unknown type \"{}\".", entry.type));
        } catch (const std::exception& error) {
            Log::error(category, fmt::format("Skipped {} \"{}\" of the workspace: {}", entry.type,
                                             entry.source, error.what()));
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

DisplayWidgetMulti& MainWindow::views()
{
    return *m_views;
}

QImage MainWindow::screenshot()
{
    m_status->refresh();
    for (auto& tools : m_toolDisplays)
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
