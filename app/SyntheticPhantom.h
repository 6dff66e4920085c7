#pragma once

#include <Eigen/Core>

#include <memory>

namespace Tesselon {

class SharedImageSet;

/// A CT-like volume made in memory, for showing the views without patient data: an elliptic body of soft
/// tissue with a spine, two kidneys and a small target lesion, in Hounsfield-like units, centred on
/// `centre` (world, mm).
class SyntheticPhantom
{
public:
    static std::unique_ptr<SharedImageSet> create(const Eigen::Vector3d& centre, int size = 160);
    /// The lesion's centre in the volume's frame (mm from the volume's centre).
    static Eigen::Vector3d lesionOffset();
};

}  // namespace Tesselon
