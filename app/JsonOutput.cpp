#include "app/JsonOutput.h"

#include <QJsonDocument>

#include <cstdio>

namespace Tesselon {

void JsonOutput::print(const QJsonObject& object)
{
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fflush(stdout);
}

QJsonArray JsonOutput::strings(const std::vector<std::string>& values)
{
    QJsonArray array;
    for (const auto& value : values)
        array.append(QString::fromStdString(value));
    return array;
}

QJsonArray JsonOutput::rowMajor(const Eigen::Matrix4d& matrix)
{
    QJsonArray numbers;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            numbers.append(matrix(row, column));
    return numbers;
}

}  // namespace Tesselon
