#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace Tesselon {

/// Writes the host application's resource files (the tool, ring and target meshes that display settings
/// default to, and the interface icons) and the HostResources.qrc that maps them onto their resource
/// paths.
class HostResourceWriter
{
public:
    explicit HostResourceWriter(std::filesystem::path outputDirectory);

    /// Throws std::runtime_error naming the file that could not be written.
    void writeAll() const;

    /// The resource paths the qrc declares (without ":/"), each with the file name it is written under.
    static std::vector<std::pair<std::string, std::string>> resources();

private:
    void writeMeshes() const;
    void writeIcons() const;
    void writeQrc() const;

    std::filesystem::path m_outputDirectory;
};

}  // namespace Tesselon
