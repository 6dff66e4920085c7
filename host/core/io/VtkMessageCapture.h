#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class vtkAlgorithm;
class vtkObject;

namespace Tesselon {

/// Keeps a VTK reader's or writer's errors and warnings from reaching VTK's process-wide output window,
/// which would print them, and turns the errors into `ImageFileError`s. Watches the algorithm and its
/// executive while it lives, so it must be destroyed before the algorithm.
class VtkMessageCapture
{
public:
    explicit VtkMessageCapture(vtkAlgorithm& algorithm);
    ~VtkMessageCapture();
    VtkMessageCapture(const VtkMessageCapture&) = delete;
    VtkMessageCapture& operator=(const VtkMessageCapture&) = delete;

    /// Throws `ImageFileError` naming `path` when the algorithm reported an error or set an error code.
    /// The reason starts with `action`, for example "cannot read NIfTI", followed by VTK's own words.
    void throwIfFailed(const std::string& path, std::string_view action) const;

private:
    static void collect(vtkObject* caller, unsigned long event, void* self, void* message);

    vtkAlgorithm& m_algorithm;
    std::vector<std::pair<vtkObject*, unsigned long>> m_observers;
    std::vector<std::string> m_errors;
};

}  // namespace Tesselon
