#pragma once

namespace Tesselon {

/// `tesselon gui --measure SECONDS`: once the window has settled, counts for that long the CPU time the
/// whole program uses and the frames each view draws, prints them and quits. Tells what the window costs
/// while the user does nothing, with the simulated tracker's tools still moving.
class WindowCostMeasurement
{
public:
    /// Arms the measurement for the window the program is about to show.
    static void schedule(double seconds);
};

}  // namespace Tesselon
