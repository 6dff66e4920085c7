#pragma once

#include "host/core/model/DataList.h"

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

namespace Tesselon::Test {

/// A stream creation algorithm and its panel, made as the host makes them: the algorithm's stream is
/// created and handed out before the panel is made and initialised.
template <class Algorithm, class Panel>
struct StreamPanel
{
    using StreamType = std::remove_pointer_t<decltype(std::declval<Algorithm>().stream())>;

    explicit StreamPanel(DataList inputs) : algorithm(inputs) { panel.init(); }

    StreamType& stream() { return static_cast<StreamType&>(*output); }

    /// The panel's widget of this type and name; a test failure when there is none.
    template <class T>
    T* child(const char* name)
    {
        T* found = panel.template findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static std::unique_ptr<Data> computedOutput(Algorithm& algorithm)
    {
        algorithm.compute();
        return std::move(algorithm.takeOutput().at(0));
    }

    Algorithm algorithm;
    std::unique_ptr<Data> output = computedOutput(algorithm);
    Panel panel{&algorithm};
};

}  // namespace Tesselon::Test
