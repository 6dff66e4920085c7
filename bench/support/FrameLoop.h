#pragma once

#include "host/gui/VtkOffscreenWindow.h"
#include "host/gui/VtkViewRenderer.h"

#include <benchmark/benchmark.h>

namespace Tesselon::Bench {

/// Times the frames of `renderer`'s view in `window`, one per iteration, each after `beforeFrame(frame)`
/// has changed the scene as a tracking sample would. The first frame, which uploads the volume and compiles
/// the shaders, is left out.
template <class BeforeFrame>
void timeFrames(benchmark::State& state, VtkOffscreenWindow& window, VtkViewRenderer& renderer,
                BeforeFrame beforeFrame)
{
    window.show(&renderer);
    window.render();
    int frame = 0;
    for (auto _ : state) {
        beforeFrame(frame++);
        window.render();
    }
    window.show(nullptr);
}

}  // namespace Tesselon::Bench
