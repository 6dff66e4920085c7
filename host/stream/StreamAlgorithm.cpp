#include "host/stream/StreamAlgorithm.h"

namespace Tesselon {

std::vector<std::unique_ptr<Data>> StreamAlgorithm::takeOutput()
{
    std::vector<std::unique_ptr<Data>> output;
    if (Stream* created = stream()) {
        resetStream();
        m_handedOut = created;
        output.emplace_back(created);
    }
    return output;
}

}  // namespace Tesselon
