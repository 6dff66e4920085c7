#pragma once

#include "host/core/io/FileFormatError.h"

namespace Tesselon {

/// A point list file that cannot be read or written.
class PointListFileError : public FileFormatError
{
public:
    using FileFormatError::FileFormatError;
};

}  // namespace Tesselon
