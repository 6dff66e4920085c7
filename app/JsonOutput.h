#pragma once

#include <Eigen/Core>

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
    /// A 4x4 matrix as 16 numbers row by row, as people read matrices.
    static QJsonArray rowMajor(const Eigen::Matrix4d& matrix);
};

}  // namespace Tesselon
