#pragma once

#include "host/gl/GlObject.h"

namespace Tesselon {

/// An arrow from a start point to an end point (the head), in object coordinates.
class GlArrow : public GlObject
{
public:
    explicit GlArrow(const Eigen::Vector3d& start = Eigen::Vector3d::Zero(),
                     const Eigen::Vector3d& end = Eigen::Vector3d::UnitZ(), std::string name = {});

    const Eigen::Vector3d& start() const { return m_start; }
    const Eigen::Vector3d& end() const { return m_end; }
    /// Sets both ends, notifying once; non-finite ends are logged and ignored.
    void setEnds(const Eigen::Vector3d& start, const Eigen::Vector3d& end);

private:
    Eigen::Vector3d m_start;
    Eigen::Vector3d m_end;
};

}  // namespace Tesselon
