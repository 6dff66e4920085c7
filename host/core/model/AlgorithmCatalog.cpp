#include "host/core/model/AlgorithmCatalog.h"

#include <algorithm>

namespace Tesselon {
namespace {

std::map<std::string, std::vector<AlgorithmCatalog::Entry>> grouped(
    std::vector<AlgorithmCatalog::Entry> entries)
{
    std::map<std::string, std::vector<AlgorithmCatalog::Entry>> categories;
    for (const auto& entry : entries)
        categories[entry.descriptor->category()].push_back(entry);
    for (auto& [category, members] : categories)
        std::stable_sort(members.begin(), members.end(), [](const auto& a, const auto& b) {
            return a.descriptor->displayName() < b.descriptor->displayName();
        });
    return categories;
}

}  // namespace

AlgorithmCatalog::AlgorithmCatalog(const std::vector<AlgorithmFactory*>& factories)
{
    for (const AlgorithmFactory* factory : factories) {
        if (factory->isInternal())
            continue;
        for (const auto& descriptor : factory->descriptors())
            if (!(descriptor.flags & Deprecated))
                m_entries.push_back({factory, &descriptor});
    }
}

std::map<std::string, std::vector<AlgorithmCatalog::Entry>> AlgorithmCatalog::byCategory() const
{
    return grouped(m_entries);
}

std::map<std::string, std::vector<AlgorithmCatalog::Entry>> AlgorithmCatalog::byCategory(
    const DataList& selection) const
{
    std::vector<Entry> offered;
    std::copy_if(m_entries.begin(), m_entries.end(), std::back_inserter(offered),
                 [&](const Entry& entry) { return entry.descriptor->isCompatible(selection); });
    return grouped(std::move(offered));
}

}  // namespace Tesselon
