#include "host/core/model/Algorithm.h"

namespace Tesselon {

Algorithm::~Algorithm() = default;

std::vector<std::unique_ptr<Data>> Algorithm::takeOutput()
{
    return {};
}

bool Algorithm::survivesDataDeletion(const Data*) const
{
    return false;
}

}  // namespace Tesselon
