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

}  // namespace Tesselon
