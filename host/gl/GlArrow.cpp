#include "host/gl/GlArrow.h"

namespace Tesselon {

GlArrow::GlArrow(const Eigen::Vector3d& start, const Eigen::Vector3d& end, std::string name)
    : GlObject(std::move(name)), m_start(Eigen::Vector3d::Zero()), m_end(Eigen::Vector3d::UnitZ())
{
    setEnds(start, end);
}

void GlArrow::setEnds(const Eigen::Vector3d& start, const Eigen::Vector3d& end)
{
    if (!start.allFinite() || !end.allFinite()) {
        reject("GlArrow", "Ignoring arrow ends with non-finite coordinates.");
        return;
    }
    if (start == m_start && end == m_end)
        return;
    m_start = start;
    m_end = end;
    changed.emitSignal();
}

}  // namespace Tesselon
