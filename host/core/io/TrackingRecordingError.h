#pragma once

#include "host/core/io/FileFormatError.h"

namespace Tesselon {

/// A tracking recording that cannot be read or written.
class TrackingRecordingError : public FileFormatError
{
public:
    using FileFormatError::FileFormatError;
};

}  // namespace Tesselon
