#pragma once

#include "host/core/io/FileFormatError.h"

namespace Tesselon {

/// An image volume file that cannot be read or written.
class ImageFileError : public FileFormatError
{
public:
    using FileFormatError::FileFormatError;
};

}  // namespace Tesselon
