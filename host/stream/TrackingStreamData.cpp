#include "host/stream/TrackingStreamData.h"

#include <algorithm>

namespace Tesselon {

TrackingStreamData::TrackingStreamData(const TrackingStream* stream,
                                       std::vector<TrackingInstrument> instruments)
    : m_stream(stream), m_instruments(std::move(instruments))
{
}

std::optional<TrackingInstrument> TrackingStreamData::instrument(std::string_view id) const
{
    const auto found =
        std::find_if(m_instruments.rbegin(), m_instruments.rend(),
                     [&](const TrackingInstrument& instrument) { return instrument.id.ID() == id; });
    return found == m_instruments.rend() ? std::nullopt : std::optional(*found);
}

void TrackingStreamData::setComponent(std::shared_ptr<const DataComponent> component)
{
    const auto& type = typeid(*component);
    std::erase_if(m_components, [&](const auto& existing) { return typeid(*existing) == type; });
    m_components.push_back(std::move(component));
}

void TrackingStreamData::updateComponents(const TrackingStreamData& other)
{
    for (const auto& component : other.m_components)
        setComponent(component);
}

std::unique_ptr<TrackingStreamData> TrackingStreamData::clone() const
{
    return std::make_unique<TrackingStreamData>(*this);
}

}  // namespace Tesselon
