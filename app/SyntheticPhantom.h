#pragma once

#include <Eigen/Core>
#include <Eigen/Geometry>

#include <memory>

namespace Tesselon {

class SharedImageSet;

/// A CT-like volume made in memory, for showing the views without patient data: an elliptic body of soft
/// tissue with a spine, two kidneys and a small target lesion, in Hounsfield-like units, centred on
/// `centre` (world, mm). In front of the body lies the simulated registration phantom (an acrylic block)
/// with its eight divots as metal beads, to register the image to the simulated tracker with.
class SyntheticPhantom
{
public:
    static std::unique_ptr<SharedImageSet> create(const Eigen::Vector3d& centre, int size = 160);
    /// The lesion's centre in the volume's frame (mm from the volume's centre).
    static Eigen::Vector3d lesionOffset();
    /// Where the registration phantom lies: `SimulatedPhantom` coordinates to the volume's frame (mm from
    /// the volume's centre).
    static Eigen::Affine3d divotPhantomPlacement();
};

}  // namespace Tesselon
