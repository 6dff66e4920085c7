#pragma once

#include "host/core/base/SignalReceiver.h"

#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QPushButton;
class QTableWidget;

namespace Tesselon {

class DisplayWidgetMulti;
class PointCorrespondences;
class PointsOnData;
class PointsOnDataManipulator;
class PointViews;

/// The pairs of a `PointCorrespondences` as a table (number, name, each side's point, residual) and the
/// tools to make them: a point of either side is captured or placed through that side's manipulator, pairs
/// are deleted one by one or all, and either side's points load from and save to markups JSON or CSV. In
/// the views each side's points appear in its manipulator's colour; the selected pair is drawn larger and
/// the slice views move to it. After a registration the residuals fill their column, the worst marked.
class PointCorrespondencesWidget : public QWidget, public SignalReceiver
{
    Q_OBJECT

public:
    enum Side
    {
        First = 0,
        Second = 1
    };

    /// The pairs and both manipulators (of the pairs' first and second set) must outlive the widget.
    PointCorrespondencesWidget(PointCorrespondences& pairs, PointsOnDataManipulator& first,
                               PointsOnDataManipulator& second, QWidget* parent = nullptr);
    ~PointCorrespondencesWidget() override;

    /// Shows the points in the display's views and lets the mouse place and drag them there.
    void init(DisplayWidgetMulti* display);
    /// What the sides are called in the table and on the buttons, e.g. "Tracked" and "Volume".
    void setSideNames(const QString& first, const QString& second);
    /// Each pair's residual after a registration (mm), in pair order; the column empties when the points
    /// change.
    void setResiduals(const std::vector<double>& residuals);
    /// The selected pair, or nothing.
    std::optional<int> selectedPair() const;
    void selectPair(int index);

    /// Replaces one side's points with those of a point-list file (.mrk.json or .csv); false, logged and
    /// nothing changed, when it cannot be read.
    bool loadPoints(Side side, const QString& path);
    /// Writes one side's points, with their names; false, logged, when it cannot be written.
    bool savePoints(Side side, const QString& path) const;

    /// Why the last capture or placement ended without a point, or where one is pending; empty otherwise.
    QString statusText() const;

signals:
    /// A pair was added, changed or removed.
    void pairsChanged();

private:
    PointsOnData& points(Side side) const;
    void buildTable();
    QWidget* buildButtons();
    void refreshTable();
    void fillRow(int row);
    void markResiduals();
    void onPointsAdded(Side side, int first, int last);
    void toggleCreation(Side side);
    void refreshCreateButtons();
    void deleteSelectedPair();
    void deleteAllPairs();
    void onSelectionChanged();
    void chooseFileToLoad(Side side);
    void chooseFileToSave(Side side);
    void relabel();

    PointCorrespondences& m_pairs;
    std::array<PointsOnDataManipulator*, 2> m_manipulators;
    std::array<QString, 2> m_sideNames{tr("First"), tr("Second")};
    std::array<std::unique_ptr<PointViews>, 2> m_views;
    DisplayWidgetMulti* m_display = nullptr;
    QTableWidget* m_table = nullptr;
    std::array<QPushButton*, 2> m_createButtons{};
    std::array<QAction*, 2> m_loadActions{};
    std::array<QAction*, 2> m_saveActions{};
    QLabel* m_status = nullptr;
    std::vector<double> m_residuals;
};

}  // namespace Tesselon
