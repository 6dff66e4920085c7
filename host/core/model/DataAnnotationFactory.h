#pragma once

namespace Tesselon {

/// Creates the annotations a plug-in adds to data objects. Plug-ins without annotations pass none.
class DataAnnotationFactory
{
public:
    virtual ~DataAnnotationFactory() = default;
};

}  // namespace Tesselon
