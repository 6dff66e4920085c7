#include "host/stream/StreamData.h"

#include <chrono>

namespace Tesselon {

StreamData::~StreamData() = default;

std::uint64_t StreamData::nowMilliseconds()
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}

}  // namespace Tesselon
