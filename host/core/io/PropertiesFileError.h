#pragma once

#include "host/core/io/FileFormatError.h"

namespace Tesselon {

/// A properties file that cannot be read or written.
class PropertiesFileError : public FileFormatError
{
public:
    using FileFormatError::FileFormatError;
};

}  // namespace Tesselon
