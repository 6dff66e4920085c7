#pragma once

#include "host/core/model/Data.h"

#include <QJSValue>
#include <QString>

#include <string>

class QJSEngine;

namespace Tesselon {

class ParameterBase;

/// Conversions between the host's values and those of window scripts (`ScriptApi`).
namespace ScriptValues {

/// The name scripts see for a kind of data, such as "Volume" or "TrackingStream".
QString kindName(Data::Kind kind);
/// A script array of these numbers.
QJSValue numbers(QJSEngine& engine, const double* values, int count);
/// A parameter's value: a number, a boolean, [x, y, z] for a 3-vector, text otherwise.
QJSValue fromParameter(QJSEngine& engine, const ParameterBase& parameter);
/// The parameter's text for a script value: an array as its numbers separated by spaces, one of the
/// parameter's choices as its index, anything else as JavaScript writes it.
std::string parameterText(const ParameterBase& parameter, const QJSValue& value);

}  // namespace ScriptValues
}  // namespace Tesselon
