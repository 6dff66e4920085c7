#pragma once

#include "host/core/model/PointsOnImageManipulator.h"
#include "host/gl/GlPoint.h"
#include "host/gui/AlgorithmController.h"
#include "navigation/registration/DwellCapture.h"
#include "navigation/registration/LiveTrackingPointRegistrationForm.h"
#include "navigation/registration/PointsOnTrackingStreamManipulator.h"

#include <Eigen/Core>

#include <QWidget>

#include <memory>
#include <optional>
#include <string>

namespace Tesselon {

class LiveTrackingPointRegistrationAlgorithm;
class PointCorrespondencesWidget;
class PointPickInteraction;

/// The live registration's panel: the pointer and an optional reference instrument (locked while tracked
/// points exist), the registration type (a choice only with a reference), the point pairs (tracked points
/// captured live, by button or when the tip rests; volume points placed and dragged in the slice views),
/// and Register. After a registration it shows the RMS error, each pair's residual (naming a likely wrong
/// pair in the log) and the error to expect at a target picked in a view or loaded from a file.
class LiveTrackingPointRegistrationController : public QWidget, public AlgorithmController
{
    Q_OBJECT

public:
    explicit LiveTrackingPointRegistrationController(LiveTrackingPointRegistrationAlgorithm* algorithm);
    ~LiveTrackingPointRegistrationController() override;

    void init() override;

    PointCorrespondencesWidget* correspondencesWidget() const { return m_correspondencesWidget; }
    /// Shows the error to expect at a target (world mm) and marks it in the views.
    void setTarget(const Eigen::Vector3d& targetInWorld);

public slots:
    void onRegister();
    void onRelToolChanged(const std::string& id);
    void onRegistrationTypeChanged();

private:
    void connectInstrumentBoxes();
    void setInstrumentChoiceLocked(bool locked);
    void connectDwellCapture();
    void connectQuality();
    void showQuality();
    void reportLikelyMistake();
    void showTargetError();
    void chooseTargetFile();

    LiveTrackingPointRegistrationForm ui;
    PointCorrespondencesWidget* m_correspondencesWidget = nullptr;
    PointsOnImageManipulator m_volumeManipulator;
    PointsOnTrackingStreamManipulator m_trackedManipulator;
    LiveTrackingPointRegistrationAlgorithm* m_algorithm;
    DwellCapture m_dwellCapture;
    std::unique_ptr<PointPickInteraction> m_targetPick;
    std::optional<Eigen::Vector3d> m_target;
    GlPoint m_targetMarker;
};

}  // namespace Tesselon
