#include "host/gui/VtkOverlayLayer.h"

#include "host/core/base/Log.h"
#include "host/gl/GlOverlay.h"

#include <vtkActor2D.h>
#include <vtkCellArray.h>
#include <vtkImageData.h>
#include <vtkImageMapper.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper2D.h>
#include <vtkProperty2D.h>
#include <vtkRenderer.h>
#include <vtkTextActor.h>
#include <vtkTextProperty.h>
#include <vtkUnsignedCharArray.h>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cstring>

namespace Tesselon {

namespace {

unsigned char toByte(double component)
{
    return static_cast<unsigned char>(std::clamp(component, 0.0, 1.0) * 255.0 + 0.5);
}

void setJustification(const OverlayText& text, vtkTextProperty* property)
{
    switch (text.horizontalAlignment) {
        case GL::AlignHCenter:
            property->SetJustificationToCentered();
            break;
        case GL::AlignRight:
            property->SetJustificationToRight();
            break;
        case GL::AlignLeft:
        default:
            property->SetJustificationToLeft();
            break;
    }
    switch (text.verticalAlignment) {
        case GL::AlignTop:
            property->SetVerticalJustificationToTop();
            break;
        case GL::AlignVCenter:
            property->SetVerticalJustificationToCentered();
            break;
        case GL::AlignBaseline:
        case GL::AlignBottom:
        default:
            property->SetVerticalJustificationToBottom();
            break;
    }
}

/// The image as VTK RGBA pixels, rows bottom-up as VTK stores them; null when the file cannot be read.
vtkImageData* rgbaImage(const std::string& path, int width, int height)
{
    if (path.empty() || width <= 0 || height <= 0)
        return nullptr;
    QImage image(QString::fromStdString(path));
    if (image.isNull())
        return nullptr;
    image = image.scaled(width, height).convertToFormat(QImage::Format_RGBA8888).mirrored();
    vtkImageData* data = vtkImageData::New();
    data->SetDimensions(width, height, 1);
    data->AllocateScalars(VTK_UNSIGNED_CHAR, 4);
    auto* target = static_cast<unsigned char*>(data->GetScalarPointer());
    for (int row = 0; row < height; ++row)
        std::memcpy(target + static_cast<std::size_t>(row) * width * 4, image.constScanLine(row),
                    static_cast<std::size_t>(width) * 4);
    return data;
}

}  // namespace

VtkOverlayLayer::VtkOverlayLayer(vtkRenderer* renderer) : m_renderer(renderer) {}

VtkOverlayLayer::~VtkOverlayLayer()
{
    clear();
}

void VtkOverlayLayer::update(const std::vector<GlOverlay*>& overlays, const GL::Viewport& view)
{
    clear();
    for (GlOverlay* overlay : overlays) {
        if (!overlay->isVisible())
            continue;
        const GL::Viewport placement = overlay->placement(view);
        overlay->render({0, 0, placement.width, placement.height});
        addPrimitives(overlay->recorded(), placement);
    }
}

void VtkOverlayLayer::addPrimitives(const OverlayPainter& painter, const GL::Viewport& placement)
{
    addLines(painter, placement);
    addTexts(painter, placement);
    addImages(painter, placement);
}

void VtkOverlayLayer::addLines(const OverlayPainter& painter, const GL::Viewport& placement)
{
    for (const OverlayLineList& list : painter.lineLists()) {
        vtkNew<vtkPoints> points;
        vtkNew<vtkCellArray> segments;
        vtkNew<vtkUnsignedCharArray> colors;
        colors->SetNumberOfComponents(4);
        for (const OverlayVertex& vertex : list.vertices) {
            points->InsertNextPoint(placement.x + vertex.position.x(), placement.y + vertex.position.y(),
                                    0.0);
            const unsigned char rgba[4] = {toByte(vertex.color[0]), toByte(vertex.color[1]),
                                           toByte(vertex.color[2]), toByte(vertex.color[3])};
            colors->InsertNextTypedTuple(rgba);
        }
        for (vtkIdType i = 0; i + 1 < points->GetNumberOfPoints(); i += 2) {
            const vtkIdType ends[2] = {i, i + 1};
            segments->InsertNextCell(2, ends);
        }
        vtkNew<vtkPolyData> polyData;
        polyData->SetPoints(points);
        polyData->SetLines(segments);
        polyData->GetPointData()->SetScalars(colors);
        vtkNew<vtkPolyDataMapper2D> mapper;
        mapper->SetInputData(polyData);
        mapper->SetColorModeToDirectScalars();
        vtkActor2D* actor = vtkActor2D::New();
        actor->SetMapper(mapper);
        actor->GetProperty()->SetLineWidth(static_cast<float>(list.lineWidth));
        addProp(actor);
    }
}

void VtkOverlayLayer::addTexts(const OverlayPainter& painter, const GL::Viewport& placement)
{
    for (const OverlayText& text : painter.texts()) {
        vtkTextActor* actor = vtkTextActor::New();
        actor->SetInput(text.text.c_str());
        actor->SetDisplayPosition(static_cast<int>(placement.x + text.anchor.x()),
                                  static_cast<int>(placement.y + text.anchor.y()));
        vtkTextProperty* property = actor->GetTextProperty();
        property->SetFontSize(text.fontSize);
        property->SetColor(text.color[0], text.color[1], text.color[2]);
        property->SetOpacity(text.color[3]);
        if (text.fontFamily == "Courier")
            property->SetFontFamilyToCourier();
        else if (text.fontFamily == "Times")
            property->SetFontFamilyToTimes();
        setJustification(text, property);
        addProp(actor);
    }
}

void VtkOverlayLayer::addImages(const OverlayPainter& painter, const GL::Viewport& placement)
{
    for (const OverlayImage& image : painter.images()) {
        vtkImageData* pixels = rgbaImage(image.path, image.rectangle.width, image.rectangle.height);
        if (!pixels) {
            if (!image.path.empty() && m_reportedPaths.insert(image.path).second)
                Log::warning("VtkOverlayLayer",
                             "Cannot read the overlay image " + image.path + "; leaving it out.");
            continue;
        }
        vtkNew<vtkImageMapper> mapper;
        mapper->SetInputData(pixels);
        mapper->SetColorWindow(255.0);
        mapper->SetColorLevel(127.5);
        pixels->Delete();
        vtkActor2D* actor = vtkActor2D::New();
        actor->SetMapper(mapper);
        actor->SetDisplayPosition(placement.x + image.rectangle.x, placement.y + image.rectangle.y);
        addProp(actor);
    }
}

void VtkOverlayLayer::addProp(vtkProp* prop)
{
    m_renderer->AddViewProp(prop);
    m_props.push_back(prop);
}

void VtkOverlayLayer::clear()
{
    for (vtkProp* prop : m_props) {
        m_renderer->RemoveViewProp(prop);
        prop->Delete();
    }
    m_props.clear();
}

}  // namespace Tesselon
