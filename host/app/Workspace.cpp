#include "host/app/Workspace.h"

#include "host/core/io/PropertiesFile.h"

#include <fmt/core.h>

#include <sstream>
#include <stdexcept>

namespace Tesselon {
namespace {

std::string joined(const std::vector<int>& values)
{
    std::string text;
    for (int value : values)
        text += (text.empty() ? "" : " ") + std::to_string(value);
    return text;
}

std::vector<int> indices(const std::string& text, std::size_t dataCount, std::size_t entry)
{
    std::vector<int> values;
    std::istringstream stream(text);
    std::string piece;
    while (stream >> piece) {
        std::size_t used = 0;
        int value = -1;
        try {
            value = std::stoi(piece, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != piece.size() || value < 0 || static_cast<std::size_t>(value) >= dataCount)
            throw std::runtime_error(
                fmt::format("Algorithm {} of the workspace names the input \"{}\", which is "
                            "not one of its {} data entries.",
                            entry + 1, piece, dataCount));
        values.push_back(value);
    }
    return values;
}

std::string required(const Properties& entry, const char* key, const char* what, std::size_t index)
{
    std::string value;
    if (!entry.param(key, value) || value.empty())
        throw std::runtime_error(fmt::format("{} {} of the workspace has no \"{}\".", what, index + 1, key));
    return value;
}

DataSource dataSourceOf(const Properties& entry, std::size_t index)
{
    const std::string name = required(entry, "type", "Data entry", index);
    if (const auto source = loadableDataSource(name))
        return *source;
    throw std::runtime_error(fmt::format(
        "Data entry {} of the workspace has the type \"{}\", which the host cannot load.", index + 1, name));
}

Properties configurationOf(const Properties& entry)
{
    const Properties* configuration = entry.subProperty("Configuration");
    return configuration ? *configuration : Properties("Configuration");
}

}  // namespace

Properties Workspace::toProperties() const
{
    Properties workspace("Workspace");
    for (const DataEntry& entry : data) {
        Properties* item = workspace.addSubProperties("Data");
        item->setParam("type", std::string(dataSourceName(entry.type)));
        item->setParam("source", entry.source);
        Properties configuration = entry.configuration;
        configuration.setName("Configuration");
        item->addSubProperties(configuration);
    }
    for (const AlgorithmEntry& entry : algorithms) {
        Properties* item = workspace.addSubProperties("Algorithm");
        item->setParam("id", entry.id);
        item->setParam("inputs", joined(entry.inputs));
        Properties configuration = entry.configuration;
        configuration.setName("Configuration");
        item->addSubProperties(configuration);
    }
    return workspace;
}

Workspace Workspace::fromProperties(const Properties& properties)
{
    Workspace workspace;
    for (const Properties* item : properties.subProperties("Data")) {
        DataEntry entry;
        entry.type = dataSourceOf(*item, workspace.data.size());
        item->param("source", entry.source);
        entry.configuration = configurationOf(*item);
        workspace.data.push_back(std::move(entry));
    }
    for (const Properties* item : properties.subProperties("Algorithm")) {
        AlgorithmEntry entry;
        const std::size_t index = workspace.algorithms.size();
        entry.id = required(*item, "id", "Algorithm", index);
        std::string inputs;
        item->param("inputs", inputs);
        entry.inputs = indices(inputs, workspace.data.size(), index);
        entry.configuration = configurationOf(*item);
        workspace.algorithms.push_back(std::move(entry));
    }
    return workspace;
}

void Workspace::save(const std::string& path) const
{
    PropertiesFile::write(toProperties(), path);
}

Workspace Workspace::load(const std::string& path)
{
    return fromProperties(PropertiesFile::read(path));
}

}  // namespace Tesselon
