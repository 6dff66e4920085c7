#pragma once

#include "host/core/base/Log.h"
#include "host/core/config/Properties.h"
#include "host/core/model/Algorithm.h"
#include "host/core/model/DataList.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <vector>

namespace Tesselon {

/// Flags of a registered algorithm.
enum AlgorithmAttribute : unsigned
{
    NoAttributes = 0,
    Deprecated = 1u << 0,  ///< still created for old workspaces, not offered in menus
};
using AlgorithmAttributes = unsigned;

/// Tells the host which algorithms a plug-in offers, under which ids and menu paths, and for which
/// selections of data. An algorithm type T registers with `registerAlgorithm<T>` and provides
/// `static bool createCompatible(const DataList&, Algorithm** out)`: with a null `out` it only answers
/// whether the data suits it, otherwise it also creates the algorithm into `*out`.
class AlgorithmFactory
{
public:
    struct Descriptor
    {
        std::string id;    ///< full id: factory name, a full stop, the registered id
        std::string name;  ///< menu path: category and display name separated by a semicolon
        AlgorithmAttributes flags = NoAttributes;
        /// Creates the algorithm for this selection, or nothing when it does not suit; the caller owns it.
        std::function<std::unique_ptr<Algorithm>(const DataList&)> create;
        std::function<bool(const DataList&)> isCompatible;
        std::shared_ptr<const Properties> preset;

        /// The part of the name before its last semicolon (empty without one).
        std::string category() const;
        /// The part of the name after its last semicolon (the whole name without one).
        std::string displayName() const;
    };

    /// `internal`: the factory's algorithms are created by workspaces and code, not offered in menus.
    AlgorithmFactory(std::string name, bool internal);
    virtual ~AlgorithmFactory();
    AlgorithmFactory(const AlgorithmFactory&) = delete;
    AlgorithmFactory& operator=(const AlgorithmFactory&) = delete;

    const std::string& name() const { return m_name; }
    bool isInternal() const { return m_internal; }

    const std::vector<Descriptor>& descriptors() const { return m_descriptors; }
    const Descriptor* descriptor(std::string_view fullId) const;
    /// The descriptors whose algorithms are offered for this selection, in registration order.
    std::vector<const Descriptor*> compatibleDescriptors(const DataList& data) const;
    /// Creates the algorithm with this full id for this selection, or nothing.
    std::unique_ptr<Algorithm> create(std::string_view fullId, const DataList& data) const;

    /// The full id an algorithm type was registered under.
    template <class T>
    std::optional<std::string> idOf() const
    {
        const auto found = m_typeIds.find(std::type_index(typeid(T)));
        return found == m_typeIds.end() ? std::nullopt : std::optional(found->second);
    }

    template <class T>
    void registerAlgorithm(const std::string& id, const std::string& name,
                           AlgorithmAttributes flags = NoAttributes,
                           std::shared_ptr<const Properties> preset = nullptr)
    {
        const auto creator = [](const DataList& data, Algorithm** out) {
            return T::createCompatible(data, out);
        };
        if (const auto fullId = registerDescriptor(id, name, flags, std::move(preset), creator))
            m_typeIds.insert_or_assign(std::type_index(typeid(T)), *fullId);
    }

protected:
    using Creator = std::function<bool(const DataList&, Algorithm**)>;

    /// The host's acceptance of a new descriptor; true when it was added.
    virtual bool addDescriptor(Descriptor descriptor);

private:
    std::optional<std::string> registerDescriptor(const std::string& id, const std::string& name,
                                                  AlgorithmAttributes flags,
                                                  std::shared_ptr<const Properties> preset, Creator creator);

    std::string m_name;
    bool m_internal;
    std::vector<Descriptor> m_descriptors;
    std::map<std::type_index, std::string> m_typeIds;
};

}  // namespace Tesselon
