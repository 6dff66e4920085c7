#pragma once

#include "host/core/model/Data.h"

namespace Tesselon::Test {

/// A plain data object of a chosen kind, for selections in registry and algorithm tests.
class TestData : public Data
{
public:
    explicit TestData(Kind kind, std::string name = "test data") : Data(std::move(name)), m_kind(kind) {}
    Kind kind() const override { return m_kind; }

private:
    Kind m_kind;
};

}  // namespace Tesselon::Test
