#pragma once

#include "host/core/model/AlgorithmFactory.h"

#include <map>
#include <string>
#include <vector>

namespace Tesselon {

/// The algorithms the host offers, from all factories, grouped into menu categories: what menus and
/// listings show. Internal factories and deprecated algorithms are not offered.
class AlgorithmCatalog
{
public:
    struct Entry
    {
        const AlgorithmFactory* factory;
        const AlgorithmFactory::Descriptor* descriptor;
    };

    explicit AlgorithmCatalog(const std::vector<AlgorithmFactory*>& factories);

    /// Every offered algorithm by category (alphabetical), each category in display-name order.
    std::map<std::string, std::vector<Entry>> byCategory() const;
    /// Only the algorithms offered for this selection of data.
    std::map<std::string, std::vector<Entry>> byCategory(const DataList& selection) const;
    std::size_t size() const { return m_entries.size(); }

private:
    std::vector<Entry> m_entries;
};

}  // namespace Tesselon
