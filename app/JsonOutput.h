#pragma once

#include <QJsonArray>
#include <QJsonObject>

#include <string>
#include <vector>

namespace Tesselon {

/// The one JSON object a command prints with --json, for scripts.
class JsonOutput
{
public:
    static void print(const QJsonObject& object);
    static QJsonArray strings(const std::vector<std::string>& values);
};

}  // namespace Tesselon
