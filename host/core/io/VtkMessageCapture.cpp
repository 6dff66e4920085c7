#include "host/core/io/VtkMessageCapture.h"

#include "host/core/io/ImageFileError.h"

#include <vtkAlgorithm.h>
#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkErrorCode.h>
#include <vtkExecutive.h>
#include <vtkNew.h>

#include <fmt/format.h>

namespace Tesselon {

namespace {

// VTK's text is "ERROR: In <source file>, line <n>\n<class> (<address>): <what happened>\n...": only the
// first line of what happened means anything to a user.
std::string essentialText(std::string_view message)
{
    const std::size_t secondLine = message.find('\n');
    if (secondLine != std::string_view::npos && message.starts_with("ERROR: In "))
        message.remove_prefix(secondLine + 1);
    if (const std::size_t address = message.find("): "); address != std::string_view::npos)
        message.remove_prefix(address + 3);
    message = message.substr(0, message.find('\n'));
    while (!message.empty() && (message.back() == ' ' || message.back() == '\r' || message.back() == '.'))
        message.remove_suffix(1);
    return std::string(message);
}

}  // namespace

VtkMessageCapture::VtkMessageCapture(vtkAlgorithm& algorithm) : m_algorithm(algorithm)
{
    vtkNew<vtkCallbackCommand> callback;
    callback->SetCallback(&VtkMessageCapture::collect);
    callback->SetClientData(this);
    for (vtkObject* watched :
         {static_cast<vtkObject*>(&algorithm), static_cast<vtkObject*>(algorithm.GetExecutive())}) {
        for (const unsigned long event : {vtkCommand::ErrorEvent, vtkCommand::WarningEvent})
            m_observers.emplace_back(watched, watched->AddObserver(event, callback));
    }
}

VtkMessageCapture::~VtkMessageCapture()
{
    for (const auto& [watched, tag] : m_observers)
        watched->RemoveObserver(tag);
}

void VtkMessageCapture::throwIfFailed(const std::string& path, std::string_view action) const
{
    if (!m_errors.empty())
        throw ImageFileError(path, 0, fmt::format("{}: {}", action, m_errors.front()));
    if (const unsigned long code = m_algorithm.GetErrorCode(); code != vtkErrorCode::NoError)
        throw ImageFileError(path, 0,
                             fmt::format("{}: {}", action, vtkErrorCode::GetStringFromErrorCode(code)));
}

void VtkMessageCapture::collect(vtkObject*, unsigned long event, void* self, void* message)
{
    // Warnings are observed only to keep them quiet: the readers warn about files they read correctly.
    if (event == vtkCommand::ErrorEvent && message)
        static_cast<VtkMessageCapture*>(self)->m_errors.push_back(
            essentialText(static_cast<const char*>(message)));
}

}  // namespace Tesselon
