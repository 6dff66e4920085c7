#pragma once

#include "host/core/io/FileFormatError.h"

namespace Tesselon {

/// A mesh file, or mesh bytes, that cannot be read.
class MeshFileError : public FileFormatError
{
public:
    using FileFormatError::FileFormatError;
};

}  // namespace Tesselon
