#include "host/core/model/AlgorithmFactory.h"

#include "host/core/model/IoAlgorithm.h"

#include <algorithm>
#include <exception>

namespace Tesselon {
namespace {

std::unique_ptr<Algorithm> createFromCreator(const AlgorithmFactory::Descriptor& descriptor,
                                             const std::function<bool(const DataList&, Algorithm**)>& creator,
                                             const DataList& data)
{
    Algorithm* created = nullptr;
    try {
        if (!creator(data, &created))
            return nullptr;
    } catch (const std::exception& error) {
        Log::log(Log::Error, "", "Cannot create algorithm " + descriptor.name + ": " + error.what());
        return nullptr;
    }
    std::unique_ptr<Algorithm> algorithm(created);
    if (!algorithm)
        return nullptr;
    algorithm->setFactoryInfo({descriptor.id, descriptor.displayName(), data});
    if (auto* ioAlgorithm = dynamic_cast<IoAlgorithm*>(algorithm.get()))
        ioAlgorithm->configureFromGlobalSettings();
    if (descriptor.preset)
        algorithm->configure(descriptor.preset.get());
    return algorithm;
}

}  // namespace

std::string AlgorithmFactory::Descriptor::category() const
{
    const auto separator = name.rfind(';');
    return separator == std::string::npos ? std::string() : name.substr(0, separator);
}

std::string AlgorithmFactory::Descriptor::displayName() const
{
    const auto separator = name.rfind(';');
    return separator == std::string::npos ? name : name.substr(separator + 1);
}

AlgorithmFactory::AlgorithmFactory(std::string name, bool internal)
    : m_name(std::move(name)), m_internal(internal)
{
}

AlgorithmFactory::~AlgorithmFactory() = default;

const AlgorithmFactory::Descriptor* AlgorithmFactory::descriptor(std::string_view fullId) const
{
    const auto found = std::find_if(m_descriptors.begin(), m_descriptors.end(),
                                    [&](const Descriptor& d) { return d.id == fullId; });
    return found == m_descriptors.end() ? nullptr : &*found;
}

std::vector<const AlgorithmFactory::Descriptor*> AlgorithmFactory::compatibleDescriptors(
    const DataList& data) const
{
    std::vector<const Descriptor*> compatible;
    for (const Descriptor& descriptor : m_descriptors)
        if (descriptor.isCompatible(data))
            compatible.push_back(&descriptor);
    return compatible;
}

std::unique_ptr<Algorithm> AlgorithmFactory::create(std::string_view fullId, const DataList& data) const
{
    const Descriptor* found = descriptor(fullId);
    return found ? found->create(data) : nullptr;
}

bool AlgorithmFactory::addDescriptor(Descriptor descriptor)
{
    m_descriptors.push_back(std::move(descriptor));
    return true;
}

std::optional<std::string> AlgorithmFactory::registerDescriptor(const std::string& id,
                                                                const std::string& name,
                                                                AlgorithmAttributes flags,
                                                                std::shared_ptr<const Properties> preset,
                                                                Creator creator)
{
    const std::string fullId = m_name.empty() ? id : m_name + "." + id;
    if (descriptor(fullId)) {
        Log::log(Log::Warning, "AlgorithmFactory", "Algorithm already registered: " + fullId);
        return std::nullopt;
    }
    Descriptor descriptor{fullId, name, flags, nullptr, nullptr, std::move(preset)};
    descriptor.isCompatible = [creator](const DataList& data) { return creator(data, nullptr); };
    // The create function reads the descriptor's final fields, so it captures copies of them.
    descriptor.create = [info = descriptor, creator](const DataList& data) {
        return createFromCreator(info, creator, data);
    };
    if (!addDescriptor(std::move(descriptor)))
        return std::nullopt;
    return fullId;
}

}  // namespace Tesselon
