#include "host/gui/AnnotationTools.h"

#include "host/app/Session.h"
#include "host/core/base/Log.h"
#include "host/core/model/SharedImageSet.h"
#include "host/gl/ApplicationController.h"
#include "host/gl/GlPointBasedAnnotation.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace Tesselon {
namespace {

constexpr const char* category = "AnnotationTools";

}  // namespace

AnnotationTools::AnnotationTools(Session& session, ApplicationController& application, QMainWindow& window)
    : QObject(&window),
      m_session(session),
      m_application(application),
      m_menu(window.menuBar()->addMenu(tr("&Annotations"))),
      m_drawLine(m_menu->addAction(tr("Draw &Line"))),
      m_drawCurve(m_menu->addAction(tr("Draw &Curve"))),
      m_finish(new QAction(tr("Finish Drawing"), &window)),
      m_cancel(new QAction(tr("Cancel Drawing"), &window)),
      m_prompt(new QLabel),
      m_drawing(std::make_unique<AnnotationDrawing>(
          application.display(),
          [this](std::unique_ptr<GlPointBasedAnnotation> drawn) { finished(std::move(drawn)); },
          [this](const std::string& prompt) { showPrompt(prompt); }))
{
    setObjectName("annotationTools");
    m_prompt->setObjectName("annotationPrompt");
    window.statusBar()->addPermanentWidget(m_prompt);
    m_prompt->hide();
    for (QAction* action : {m_drawLine, m_drawCurve})
        action->setCheckable(true);
    connect(m_drawLine, &QAction::triggered, this, [this] { choose(AnnotationDrawing::Kind::Line); });
    connect(m_drawCurve, &QAction::triggered, this, [this] { choose(AnnotationDrawing::Kind::Curve); });
    // The keys act only while something is drawn, so that they keep their meaning elsewhere.
    m_finish->setShortcuts({Qt::Key_Return, Qt::Key_Enter});
    m_cancel->setShortcut(Qt::Key_Escape);
    for (QAction* action : {m_finish, m_cancel}) {
        action->setEnabled(false);
        window.addAction(action);
    }
    connect(m_finish, &QAction::triggered, this, [this] { m_drawing->finish(); });
    connect(m_cancel, &QAction::triggered, this, [this] { m_drawing->cancel(); });
    m_application.annotations().annotationAboutToBeRemoved.connect(this, &AnnotationTools::removedFromModel);
}

AnnotationTools::~AnnotationTools()
{
    disconnectAll();
    m_drawing.reset();
    while (!m_shown.empty()) {
        InteractiveObject* shown = m_shown.begin()->second;
        m_shown.erase(m_shown.begin());
        m_application.annotations().remove(shown, true);
    }
}

void AnnotationTools::show(GlPointBasedAnnotation& annotation)
{
    // The session owns the object; the model only shows and lends it.
    auto lent = std::make_unique<InteractiveObject>(&annotation, nullptr, false);
    m_shown[&annotation] = lent.get();
    m_application.annotations().add(std::move(lent), m_session.volume());
}

void AnnotationTools::forget(GlPointBasedAnnotation& annotation)
{
    const auto found = m_shown.find(&annotation);
    if (found == m_shown.end())
        return;
    InteractiveObject* shown = found->second;
    // Out of the list first: the model's removal notice comes back here.
    m_shown.erase(found);
    m_application.annotations().remove(shown, true);
}

void AnnotationTools::removedFromModel(InteractiveObject* annotation)
{
    const auto found = std::find_if(m_shown.begin(), m_shown.end(),
                                    [annotation](const auto& entry) { return entry.second == annotation; });
    if (found == m_shown.end())
        return;
    const GlPointBasedAnnotation* removed = found->first;
    m_shown.erase(found);
    // The model and the views still hold the object until the removal returns.
    m_released.push_back(m_session.takeMarkups(removed));
    QTimer::singleShot(0, this, [this] { m_released.clear(); });
}

bool AnnotationTools::openMarkups(const QString& path)
{
    try {
        m_session.openMarkups(path.toStdString());
        return true;
    } catch (const std::exception& error) {
        Log::error(category, error.what());
        return false;
    }
}

void AnnotationTools::choose(AnnotationDrawing::Kind chosen)
{
    if (m_drawing->isDrawing() && m_drawing->kind() == chosen) {
        m_drawing->finish();
        return;
    }
    if (!m_session.volume()) {
        Log::error(category, "Open a volume first: lines and curves are drawn on a volume.");
        showPrompt({});
        return;
    }
    m_drawing->start(chosen);
}

void AnnotationTools::finished(std::unique_ptr<GlPointBasedAnnotation> drawn)
{
    try {
        m_session.addDrawnAnnotation(std::move(drawn));
    } catch (const std::exception& error) {
        Log::error(category, error.what());
    }
}

void AnnotationTools::showPrompt(const std::string& prompt)
{
    const bool drawing = m_drawing && m_drawing->isDrawing();
    m_drawLine->setChecked(drawing && m_drawing->kind() == AnnotationDrawing::Kind::Line);
    m_drawCurve->setChecked(drawing && m_drawing->kind() == AnnotationDrawing::Kind::Curve);
    m_finish->setEnabled(drawing);
    m_cancel->setEnabled(drawing);
    m_prompt->setText(QString::fromStdString(prompt));
    m_prompt->setVisible(!prompt.empty());
}

}  // namespace Tesselon
