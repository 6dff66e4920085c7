#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/gl/AnnotationModel.h"
#include "host/gl/DisplayWidgetMulti.h"

#include <set>
#include <string>

namespace Tesselon {

class Algorithm;
class AlgorithmController;
class GlObject;

/// What the host hands to every panel: the views of the main display and the workspace's annotations,
/// which it shows in all of them. Lives on the GUI thread.
class ApplicationController : public SignalReceiver
{
public:
    ApplicationController();
    /// Removes the remaining annotations from the views before they go.
    ~ApplicationController();

    DisplayWidgetMulti& display() { return m_display; }
    /// Asks the host to close a panel's algorithm (and with it the panel), once the caller has returned.
    void requestRemoval(Algorithm* algorithm) { removalRequested.emitSignal(algorithm); }
    Signal<Algorithm*> removalRequested;
    /// Shows a panel that another panel owns (an embedded tool visualization, say) in the host's panel area
    /// under `title`, after its owner's panel. The owner keeps it and calls `removeSubPanel` before deleting
    /// it.
    void showSubPanel(AlgorithmController* panel, const std::string& title)
    {
        subPanelShown.emitSignal(panel, title);
    }
    void removeSubPanel(AlgorithmController* panel) { subPanelRemoved.emitSignal(panel); }
    Signal<AlgorithmController*, std::string> subPanelShown;
    Signal<AlgorithmController*> subPanelRemoved;
    AnnotationModel& annotations() { return m_annotations; }

    /// Keeps the object's edits out of the undo history; panels use it for objects that follow the tracker.
    void ignoreAnnotationInHistory(const GlObject* object);
    bool isIgnoredInHistory(const GlObject* object) const;

private:
    void showAnnotation(InteractiveObject* annotation);
    void hideAnnotation(InteractiveObject* annotation);

    DisplayWidgetMulti m_display;
    AnnotationModel m_annotations;
    std::set<const GlObject*> m_ignoredInHistory;
};

}  // namespace Tesselon
