#pragma once

#include "navigation/resources/generator/ToolMotion.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Tesselon {

/// Writes the plug-in's resource files and the Resources.qrc that maps them onto their resource paths.
class ResourceTreeWriter
{
public:
    explicit ResourceTreeWriter(std::filesystem::path outputDirectory);

    /// Throws std::runtime_error naming the file that could not be written.
    void writeAll() const;

    /// The resource paths the qrc declares, each with the file name it is written under.
    static std::vector<std::pair<std::string, std::string>> resources();

private:
    void writeAnimation(ToolMotion::Kind kind) const;
    void writeQrc() const;

    std::filesystem::path m_outputDirectory;
};

}  // namespace Tesselon
