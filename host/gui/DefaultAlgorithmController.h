#pragma once

#include "host/gui/AlgorithmController.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace Tesselon {

class ParameterWidget;

/// The panel the host shows for an algorithm without a panel of its own: an editor for every parameter,
/// a Compute button and the outcome of the last computation.
class DefaultAlgorithmController : public QWidget, public AlgorithmController
{
    Q_OBJECT

public:
    /// `title`: replaces the algorithm's display name when not empty. `showCompute`: whether the panel
    /// has a Compute button. `liveUpdate`: computes again after every edit of a parameter.
    explicit DefaultAlgorithmController(Algorithm* algorithm, QString title = {}, bool showCompute = true,
                                        bool liveUpdate = false, QWidget* parent = nullptr);
    ~DefaultAlgorithmController() override;

    ParameterWidget* parameterWidget() const { return m_parameters; }
    /// Runs the algorithm and shows its status: "Done." on success, otherwise the status number and the
    /// warnings and errors logged on this thread while it ran, or the exception it threw.
    void compute();
    /// The text showing the outcome of the last computation.
    QString statusText() const;

signals:
    /// After every computation that returned (whatever its status), so the host can take the outputs.
    void computed(int status);

private:
    ParameterWidget* m_parameters;
    QPushButton* m_computeButton = nullptr;
    QLabel* m_status;
    bool m_liveUpdate;
};

}  // namespace Tesselon
