#include "host/gui/AlgorithmController.h"

#include "host/core/model/Algorithm.h"

#include <QWidget>

namespace Tesselon {

AlgorithmController::AlgorithmController(Algorithm* algorithm) : m_algorithm(algorithm) {}

AlgorithmController::~AlgorithmController()
{
    m_signalReceiver.disconnectAll();
}

void AlgorithmController::init() {}

QWidget* AlgorithmController::widget()
{
    return dynamic_cast<QWidget*>(this);
}

QString AlgorithmController::title() const
{
    if (!m_title.isEmpty())
        return m_title;
    if (m_algorithm)
        return QString::fromStdString(m_algorithm->factoryInfo().name);
    return {};
}

void AlgorithmController::setTitle(QString title)
{
    m_title = std::move(title);
}

}  // namespace Tesselon
