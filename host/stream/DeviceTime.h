#pragma once

#include <chrono>

namespace Tesselon {

/// A time on a device's own clock since the device's epoch. Whole milliseconds: every source reports
/// them, and samples of one device time are matched by equality. 0 is a time like any other; a device
/// that gives none leaves a `std::optional<DeviceTime>` empty.
using DeviceTime = std::chrono::milliseconds;

}  // namespace Tesselon
