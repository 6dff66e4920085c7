#include "host/gui/ScriptValues.h"

#include "host/core/config/ParameterBase.h"

#include <QJSEngine>
#include <QStringList>

#include <Eigen/Core>

#include <algorithm>

namespace Tesselon::ScriptValues {

QString kindName(Data::Kind kind)
{
    switch (kind) {
        case Data::Image:
            return "Image";
        case Data::Volume:
            return "Volume";
        case Data::Mesh:
            return "Mesh";
        case Data::PointSet:
            return "PointSet";
        case Data::Annotation:
            return "Annotation";
        case Data::TrackingSequence:
            return "TrackingSequence";
        case Data::Stream:
            return "Stream";
        case Data::TrackingStream:
            return "TrackingStream";
        default:
            return "Data";
    }
}

QJSValue numbers(QJSEngine& engine, const double* values, int count)
{
    QJSValue array = engine.newArray(static_cast<uint>(count));
    for (int i = 0; i < count; ++i)
        array.setProperty(static_cast<quint32>(i), values[i]);
    return array;
}

QJSValue fromParameter(QJSEngine& engine, const ParameterBase& parameter)
{
    const std::string text = parameter.text();
    switch (parameter.type()) {
        case ParamType::Bool:
            return PropertyCodec<bool>::fromText(text).value_or(false);
        case ParamType::Int:
        case ParamType::Enumeration:
        case ParamType::Double:
            return PropertyCodec<double>::fromText(text).value_or(0.0);
        case ParamType::Vector3:
            if (const auto vector = PropertyCodec<Eigen::Vector3d>::fromText(text))
                return numbers(engine, vector->data(), 3);
            break;
        default:
            break;
    }
    return QString::fromStdString(text);
}

std::string parameterText(const ParameterBase& parameter, const QJSValue& value)
{
    if (value.isArray()) {
        QStringList parts;
        const int length = value.property("length").toInt();
        for (int i = 0; i < length; ++i)
            parts << value.property(static_cast<quint32>(i)).toString();
        return parts.join(' ').toStdString();
    }
    const std::string text = value.toString().toStdString();
    if (value.isString()) {
        const std::vector<std::string> choices = parameter.choiceTexts();
        const auto choice = std::find(choices.begin(), choices.end(), text);
        if (choice != choices.end())
            return std::to_string(choice - choices.begin());
    }
    return text;
}

}  // namespace Tesselon::ScriptValues
