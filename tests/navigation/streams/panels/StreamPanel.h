#pragma once

#include "host/core/model/DataList.h"

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

namespace Tesselon::Test {

/// A stream creation algorithm and its panel, made as the host makes them: the stream is created and
/// handed out before the panel is made and initialised.
template <class Algorithm, class Panel>
struct StreamPanel
{
    using StreamType = std::remove_pointer_t<decltype(std::declval<Algorithm>().stream())>;

    explicit StreamPanel(DataList inputs) : algorithm(inputs) { panel.init(); }

    StreamType& stream() { return static_cast<StreamType&>(*output); }
    template <class T>
    T* child(const char* name)
    {
        T* found = panel.template findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    Algorithm algorithm;
    std::unique_ptr<Data> output = [this] {
        algorithm.compute();
        return std::move(algorithm.takeOutput().at(0));
    }();
    Panel panel{&algorithm};
};

}  // namespace Tesselon::Test
