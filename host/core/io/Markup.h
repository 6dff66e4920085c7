#pragma once

#include "host/core/io/PointList.h"

#include <string>
#include <vector>

namespace Tesselon {

/// One markup of a markups file, kept apart from the others: what it draws, the name the file gives it
/// (empty when none) and its defined points in order. Sessions turn lines and curves into annotations.
struct Markup
{
    enum class Type
    {
        Fiducial,
        Line,
        Curve,
        ClosedCurve,
    };

    Type type = Type::Fiducial;
    std::string name;
    std::vector<PointList::Point> points;
};

}  // namespace Tesselon
