#pragma once

#include "host/core/base/SignalReceiver.h"
#include "host/gl/AnnotationDrawing.h"

#include <QObject>

#include <map>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;

namespace Tesselon {

class ApplicationController;
class GlPointBasedAnnotation;
class InteractiveObject;
class Session;

/// The main window's side of the lines and curves on the volume: its Annotations menu, with which the user
/// draws them in the slice views (Enter finishes a curve, Escape cancels, the status bar says what to do
/// next), and the mirror of the session's lines and curves in the annotation model, where the panels find
/// them. Removing one from the model removes it from the session, so a saved workspace no longer has it.
class AnnotationTools : public QObject, public SignalReceiver
{
    Q_OBJECT

public:
    /// Adds the Annotations menu to the window's menu bar and the prompt to its status bar. The session
    /// and the application controller must outlive this object, which must go before the window's views.
    AnnotationTools(Session& session, ApplicationController& application, QMainWindow& window);
    ~AnnotationTools() override;

    /// Shows a line or curve of the session in the annotation model, attached to the session's volume.
    void show(GlPointBasedAnnotation& annotation);
    /// Takes it out of the model again; unknown ones are ignored.
    void forget(GlPointBasedAnnotation& annotation);

    QMenu* menu() const { return m_menu; }
    /// Opens a markups file as File > Open Markups does, without its dialog, for scripts: false, with the
    /// error logged, when the file cannot be opened.
    Q_INVOKABLE bool openMarkups(const QString& path);

private:
    void choose(AnnotationDrawing::Kind kind);
    void finished(std::unique_ptr<GlPointBasedAnnotation> drawn);
    void showPrompt(const std::string& prompt);
    void removedFromModel(InteractiveObject* annotation);

    Session& m_session;
    ApplicationController& m_application;
    QMenu* m_menu;
    QAction* m_drawLine;
    QAction* m_drawCurve;
    QAction* m_finish;
    QAction* m_cancel;
    QLabel* m_prompt;
    std::unique_ptr<AnnotationDrawing> m_drawing;
    std::map<const GlPointBasedAnnotation*, InteractiveObject*> m_shown;
    // Removed through the model while the model still refers to them; deleted once it is done.
    std::vector<std::unique_ptr<GlPointBasedAnnotation>> m_released;
};

}  // namespace Tesselon
