#include "host/core/model/DataList.h"

#include <algorithm>

namespace Tesselon {

Data* DataList::getFirst(Data::Kind kind) const
{
    const auto found = std::find_if(m_items.begin(), m_items.end(),
                                    [kind](const Data* data) { return data && data->kind() == kind; });
    return found == m_items.end() ? nullptr : *found;
}

}  // namespace Tesselon
