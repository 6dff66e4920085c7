#pragma once

#include <QWidget>

namespace Tesselon {

class ToolNavigationVisualizationController;

/// The navigation panel's distance read-out: the path length left to the target as text, and below it a
/// gauge from the path's start to the target with a dot per path ring and a red mark for the tool. It
/// keeps no state: it draws what the panel reports, after every navigation update.
class ToolNavigationDistanceWidget : public QWidget
{
    Q_OBJECT

public:
    /// The panel becomes the widget's parent.
    explicit ToolNavigationDistanceWidget(ToolNavigationVisualizationController* controller);

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ToolNavigationVisualizationController* m_controller;
};

}  // namespace Tesselon
