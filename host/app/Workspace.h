#pragma once

#include "host/app/DataSource.h"
#include "host/core/config/Properties.h"

#include <string>
#include <vector>

namespace Tesselon {

/// What a session holds, kept as a `Properties` file: each data object by how to load it again, and each
/// algorithm by its id, its inputs (indices into the data) and its configuration.
class Workspace
{
public:
    struct DataEntry
    {
        /// Volumes, recordings and markups name a file in `source`, a drawn annotation its name; the
        /// simulated tracker needs none; an OpenIGTLink server has HOST:PORT there.
        DataSource type = DataSource::Volume;
        std::string source;
        Properties configuration;

        bool operator==(const DataEntry&) const = default;
    };

    struct AlgorithmEntry
    {
        std::string id;
        std::vector<int> inputs;
        Properties configuration;

        bool operator==(const AlgorithmEntry&) const = default;
    };

    std::vector<DataEntry> data;
    std::vector<AlgorithmEntry> algorithms;

    Properties toProperties() const;
    /// Throws std::runtime_error naming the entry when one lacks its id or a type the host can load, or
    /// names an input that is not an earlier data entry.
    static Workspace fromProperties(const Properties& properties);

    /// Writes atomically through `PropertiesFile`.
    void save(const std::string& path) const;
    /// Throws as `PropertiesFile::read` does, or as `fromProperties`.
    static Workspace load(const std::string& path);

    bool operator==(const Workspace&) const = default;
};

}  // namespace Tesselon
