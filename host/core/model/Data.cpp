#include "host/core/model/Data.h"

#include <utility>

namespace Tesselon {

Data::Data(std::string name) : m_name(std::move(name)) {}

Data::~Data() = default;

std::string Data::name() const
{
    std::lock_guard lock(m_mutex);
    return m_name;
}

void Data::setName(std::string name)
{
    std::lock_guard lock(m_mutex);
    m_name = std::move(name);
}

Eigen::Matrix4d Data::matrix() const
{
    std::lock_guard lock(m_mutex);
    return m_dataToWorld;
}

void Data::setMatrix(const Eigen::Matrix4d& dataToWorld)
{
    Eigen::Matrix4d before;
    {
        std::lock_guard lock(m_mutex);
        before = std::exchange(m_dataToWorld, dataToWorld);
    }
    if (before != dataToWorld)
        matrixChanged.emitSignal(before, dataToWorld);
}

}  // namespace Tesselon
