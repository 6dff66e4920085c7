#include "navigation/calibration/ToolCalibrationController.h"

#include "navigation/calibration/ToolCalibrationAlgorithm.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace Tesselon {
namespace {

QString vectorText(const Eigen::Vector3d& v)
{
    return QString("(%1, %2, %3)").arg(v.x(), 0, 'f', 2).arg(v.y(), 0, 'f', 2).arg(v.z(), 0, 'f', 2);
}

}  // namespace

ToolCalibrationController::ToolCalibrationController(ToolCalibrationAlgorithm* algorithm)
    : DefaultAlgorithmController(algorithm, "", true, false), m_algorithm(algorithm)
{
}

void ToolCalibrationController::init()
{
    DefaultAlgorithmController::init();
    m_rotateButton = new QPushButton(tr("Rotate 180"), this);
    m_rotateButton->setObjectName("rotate180");
    connect(m_rotateButton, &QPushButton::clicked, this, [this] {
        m_algorithm->rotateCalibration180();
        showResult();
    });
    m_result = new QLabel(this);
    m_result->setObjectName("result");
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(this, &DefaultAlgorithmController::computed, this, [this](int status) {
        if (status == Algorithm::Success)
            showResult();
        else
            m_result->clear();
    });
    // Before the stretch that closes the default panel, so the button sits under Compute.
    auto* box = static_cast<QBoxLayout*>(layout());
    box->insertWidget(box->count() - 1, m_rotateButton);
    box->insertWidget(box->count() - 1, m_result);
}

QString ToolCalibrationController::resultText() const
{
    return m_result ? m_result->text() : QString();
}

void ToolCalibrationController::showResult()
{
    const Eigen::Matrix4d calibration = m_algorithm->calibration();
    QStringList lines;
    lines << tr("Tip offset: %1 mm").arg(vectorText(calibration.topRightCorner<3, 1>()));
    lines << tr("Needle axis: %1").arg(vectorText(calibration.block<3, 1>(0, 2)));
    if (const auto& fit = m_algorithm->lastPivotFit(); fit && fit->valid)
        lines << tr("Residuals: RMS %1 mm, max %2 mm, %3 of %4 samples used")
                     .arg(fit->rmsResidual, 0, 'f', 2)
                     .arg(fit->maxResidual, 0, 'f', 2)
                     .arg(fit->samplesUsed)
                     .arg(fit->samples);
    m_result->setText(lines.join('\n'));
}

}  // namespace Tesselon
