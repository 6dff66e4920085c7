#include "host/gui/PointCorrespondencesWidget.h"

#include "host/core/base/Log.h"
#include "host/core/config/Properties.h"
#include "host/core/io/PointListFile.h"
#include "host/core/io/PointListFileError.h"
#include "host/core/model/PointCorrespondences.h"
#include "host/core/model/PointsOnDataManipulator.h"
#include "host/gl/DisplayWidgetMulti.h"
#include "host/gl/PointViews.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Tesselon {
namespace {

constexpr const char* category = "PointCorrespondences";
enum Column
{
    NumberColumn,
    NameColumn,
    FirstColumn,
    SecondColumn,
    ResidualColumn,
    ColumnCount
};
const QString pointListFilter = QObject::tr("Point lists (*.mrk.json *.json *.csv)");

QString pointText(const std::optional<Eigen::Vector3d>& point)
{
    if (!point)
        return QStringLiteral("—");
    return QString("%1, %2, %3")
        .arg(point->x(), 0, 'f', 1)
        .arg(point->y(), 0, 'f', 1)
        .arg(point->z(), 0, 'f', 1);
}

QTableWidgetItem* readOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

std::optional<Eigen::Vector3d> pointAt(const PointsOnData& points, int index)
{
    if (index < 0 || index >= points.size())
        return std::nullopt;
    return points.allPoints()[static_cast<std::size_t>(index)];
}

}  // namespace

PointCorrespondencesWidget::PointCorrespondencesWidget(PointCorrespondences& pairs,
                                                       PointsOnDataManipulator& first,
                                                       PointsOnDataManipulator& second, QWidget* parent)
    : QWidget(parent), m_pairs(pairs), m_manipulators{&first, &second}
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    buildTable();
    layout->addWidget(m_table);
    layout->addWidget(buildButtons());
    m_status = new QLabel(this);
    m_status->setObjectName("pointStatus");
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    for (const Side side : {First, Second}) {
        PointsOnData& set = points(side);
        set.pointsAdded.connect(this, [this, side](int from, int to) { onPointsAdded(side, from, to); });
        for (Signal<int, int>* change : {&set.pointsChanged, &set.pointsRemoved, &set.pointsRenamed})
            change->connect(this, [this](int, int) {
                m_residuals.clear();
                refreshTable();
                emit pairsChanged();
            });
    }
    relabel();
    refreshTable();
}

PointCorrespondencesWidget::~PointCorrespondencesWidget()
{
    disconnectAll();
    for (PointsOnDataManipulator* manipulator : m_manipulators)
        manipulator->cancelPointCreation();
}

PointsOnData& PointCorrespondencesWidget::points(Side side) const
{
    return side == First ? m_pairs.first() : m_pairs.second();
}

void PointCorrespondencesWidget::buildTable()
{
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName("pairTable");
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    QHeaderView* header = m_table->horizontalHeader();
    for (const Column column : {NumberColumn, ResidualColumn})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    for (const Column column : {NameColumn, FirstColumn, SecondColumn})
        header->setSectionResizeMode(column, QHeaderView::Stretch);
    m_table->setMinimumHeight(160);
    connect(m_table, &QTableWidget::itemSelectionChanged, this,
            &PointCorrespondencesWidget::onSelectionChanged);
    connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != NameColumn)
            return;
        // A pair has one name; each side that has the point keeps it.
        for (const Side side : {First, Second})
            if (item->row() < points(side).size() &&
                points(side).name(item->row()) != item->text().toStdString())
                points(side).setName(item->row(), item->text().toStdString());
    });
}

QWidget* PointCorrespondencesWidget::buildButtons()
{
    auto* buttons = new QWidget(this);
    auto* row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    for (const Side side : {First, Second}) {
        m_createButtons[side] = new QPushButton(buttons);
        m_createButtons[side]->setObjectName(side == First ? "createFirst" : "createSecond");
        connect(m_createButtons[side], &QPushButton::clicked, this, [this, side] { toggleCreation(side); });
        row->addWidget(m_createButtons[side]);
    }
    auto* remove = new QPushButton(tr("Delete"), buttons);
    remove->setObjectName("deletePair");
    connect(remove, &QPushButton::clicked, this, &PointCorrespondencesWidget::deleteSelectedPair);
    auto* removeAll = new QPushButton(tr("Delete All"), buttons);
    removeAll->setObjectName("deleteAllPairs");
    connect(removeAll, &QPushButton::clicked, this, &PointCorrespondencesWidget::deleteAllPairs);
    row->addWidget(remove);
    row->addWidget(removeAll);

    auto* load = new QToolButton(buttons);
    load->setObjectName("loadPoints");
    load->setText(tr("Load"));
    load->setPopupMode(QToolButton::InstantPopup);
    load->setMenu(new QMenu(load));
    auto* save = new QToolButton(buttons);
    save->setObjectName("savePoints");
    save->setText(tr("Save"));
    save->setPopupMode(QToolButton::InstantPopup);
    save->setMenu(new QMenu(save));
    for (const Side side : {First, Second}) {
        m_loadActions[side] =
            load->menu()->addAction(QString(), this, [this, side] { chooseFileToLoad(side); });
        m_saveActions[side] =
            save->menu()->addAction(QString(), this, [this, side] { chooseFileToSave(side); });
    }
    row->addWidget(load);
    row->addWidget(save);
    return buttons;
}

void PointCorrespondencesWidget::init(DisplayWidgetMulti* display)
{
    m_display = display;
    if (!display)
        return;
    for (const Side side : {First, Second})
        m_views[side] = std::make_unique<PointViews>(*m_manipulators[side], *display);
}

void PointCorrespondencesWidget::setSideNames(const QString& first, const QString& second)
{
    m_sideNames = {first, second};
    relabel();
}

void PointCorrespondencesWidget::relabel()
{
    m_table->setHorizontalHeaderLabels(
        {tr("#"), tr("Name"), m_sideNames[First], m_sideNames[Second], tr("Residual (mm)")});
    for (const Side side : {First, Second}) {
        m_loadActions[side]->setText(tr("%1 Points…").arg(m_sideNames[side]));
        m_saveActions[side]->setText(tr("%1 Points…").arg(m_sideNames[side]));
    }
    refreshCreateButtons();
}

void PointCorrespondencesWidget::refreshCreateButtons()
{
    for (const Side side : {First, Second}) {
        const PointsOnDataManipulator& manipulator = *m_manipulators[side];
        const QString verb = manipulator.placesPointsByClick() ? tr("Place") : tr("Capture");
        QString text = tr("%1 %2 Point").arg(verb, m_sideNames[side]);
        if (manipulator.isCreatingPoint())
            text = manipulator.placesPointsByClick() ? tr("Cancel Placing") : tr("Cancel Capture");
        m_createButtons[side]->setText(text);
    }
}

void PointCorrespondencesWidget::toggleCreation(Side side)
{
    PointsOnDataManipulator& manipulator = *m_manipulators[side];
    if (manipulator.isCreatingPoint()) {
        manipulator.cancelPointCreation();
        m_status->setText(tr("Cancelled."));
    } else {
        manipulator.startPointCreation();
        m_status->setText(manipulator.placesPointsByClick()
                              ? tr("Click the %1 point in a slice view.").arg(m_sideNames[side].toLower())
                              : tr("Waiting for the next tracking sample…"));
    }
    refreshCreateButtons();
}

void PointCorrespondencesWidget::onPointsAdded(Side side, int first, int last)
{
    if (first < 0) {
        // A live capture whose sample did not show the instrument well enough.
        m_status->setText(tr("The instrument was not seen well enough: no %1 point was taken. Bring it into "
                             "the tracker's view and capture again.")
                              .arg(m_sideNames[side].toLower()));
    } else {
        m_status->setText(tr("%1 point %2 taken.").arg(m_sideNames[side]).arg(last));
        m_residuals.clear();
        refreshTable();
        selectPair(last - 1);
        emit pairsChanged();
    }
    refreshCreateButtons();
}

void PointCorrespondencesWidget::refreshTable()
{
    const QSignalBlocker blocker(m_table);
    const int rows = std::max(points(First).size(), points(Second).size());
    m_table->setRowCount(rows);
    for (int row = 0; row < rows; ++row)
        fillRow(row);
    markResiduals();
    for (const auto& views : m_views)
        if (views)
            views->setSelected(selectedPair());
}

void PointCorrespondencesWidget::fillRow(int row)
{
    std::string name;
    for (const Side side : {Second, First})
        if (row < points(side).size() && !points(side).names()[static_cast<std::size_t>(row)].empty())
            name = points(side).names()[static_cast<std::size_t>(row)];
    m_table->setItem(row, NumberColumn, readOnlyItem(QString::number(row + 1)));
    m_table->setItem(row, NameColumn, new QTableWidgetItem(QString::fromStdString(name)));
    m_table->setItem(row, FirstColumn, readOnlyItem(pointText(pointAt(points(First), row))));
    m_table->setItem(row, SecondColumn, readOnlyItem(pointText(pointAt(points(Second), row))));
    const bool known = row < static_cast<int>(m_residuals.size());
    m_table->setItem(row, ResidualColumn,
                     readOnlyItem(known ? QString::number(m_residuals[static_cast<std::size_t>(row)], 'f', 2)
                                        : QString()));
}

void PointCorrespondencesWidget::setResiduals(const std::vector<double>& residuals)
{
    m_residuals = residuals;
    refreshTable();
}

void PointCorrespondencesWidget::markResiduals()
{
    if (m_residuals.empty())
        return;
    const auto worst = std::max_element(m_residuals.begin(), m_residuals.end()) - m_residuals.begin();
    QTableWidgetItem* item = m_table->item(static_cast<int>(worst), ResidualColumn);
    if (!item)
        return;
    QFont bold = item->font();
    bold.setBold(true);
    item->setFont(bold);
    item->setForeground(QColor(235, 90, 80));
    item->setToolTip(tr("The largest residual"));
}

std::optional<int> PointCorrespondencesWidget::selectedPair() const
{
    const auto rows = m_table->selectionModel()->selectedRows();
    if (rows.empty())
        return std::nullopt;
    return rows.front().row();
}

void PointCorrespondencesWidget::selectPair(int index)
{
    if (index >= 0 && index < m_table->rowCount())
        m_table->selectRow(index);
}

void PointCorrespondencesWidget::onSelectionChanged()
{
    const std::optional<int> pair = selectedPair();
    for (const auto& views : m_views)
        if (views)
            views->setSelected(pair);
    if (!pair || !m_display)
        return;
    // Where the pair is, so that its points show in the slice views: the second side's point when placed.
    for (const Side side : {Second, First})
        if (m_views[side] && *pair < static_cast<int>(m_views[side]->markers().size())) {
            m_display->centreSlicesAt(m_views[side]->markers()[static_cast<std::size_t>(*pair)]->point());
            return;
        }
}

void PointCorrespondencesWidget::deleteSelectedPair()
{
    const std::optional<int> pair = selectedPair();
    if (!pair)
        return;
    for (const Side side : {First, Second})
        points(side).remove(*pair, *pair + 1);
    m_status->setText(tr("Pair %1 deleted.").arg(*pair + 1));
}

void PointCorrespondencesWidget::deleteAllPairs()
{
    m_pairs.clear();
    m_status->setText(tr("All pairs deleted."));
}

bool PointCorrespondencesWidget::loadPoints(Side side, const QString& path)
{
    PointList list;
    try {
        list = PointListFile::read(path.toStdString());
    } catch (const PointListFileError& error) {
        Log::error(category, error.what());
        m_status->setText(QString::fromStdString(error.what()));
        return false;
    }
    // The set reads its points from a configuration, whatever kind of set it is.
    Properties configuration;
    Properties* block = configuration.addSubProperties("Points");
    for (const PointList::Point& point : list.points) {
        Properties* entry = block->addSubProperties("Point");
        entry->setParam("Point", point.position);
        entry->setParam("Name", point.label);
    }
    points(side).configure(&configuration);
    m_status->setText(
        tr("%1 %2 points loaded from %3.").arg(list.points.size()).arg(m_sideNames[side].toLower(), path));
    return true;
}

bool PointCorrespondencesWidget::savePoints(Side side, const QString& path) const
{
    const PointsOnData& set = points(side);
    PointList list;
    for (int i = 0; i < set.size(); ++i)
        list.points.push_back(
            {set.allPoints()[static_cast<std::size_t>(i)], set.names()[static_cast<std::size_t>(i)]});
    try {
        PointListFile::write(list, path.toStdString());
    } catch (const PointListFileError& error) {
        Log::error(category, error.what());
        m_status->setText(QString::fromStdString(error.what()));
        return false;
    }
    m_status->setText(
        tr("%1 %2 points saved to %3.").arg(list.points.size()).arg(m_sideNames[side].toLower(), path));
    return true;
}

void PointCorrespondencesWidget::chooseFileToLoad(Side side)
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Load %1 Points").arg(m_sideNames[side]),
                                                      QString(), pointListFilter);
    if (!path.isEmpty())
        loadPoints(side, path);
}

void PointCorrespondencesWidget::chooseFileToSave(Side side)
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save %1 Points").arg(m_sideNames[side]),
                                                      QStringLiteral("points.mrk.json"), pointListFilter);
    if (!path.isEmpty())
        savePoints(side, path);
}

QString PointCorrespondencesWidget::statusText() const
{
    return m_status->text();
}

}  // namespace Tesselon
