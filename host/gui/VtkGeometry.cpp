#include "host/gui/VtkGeometry.h"

#include "host/core/geometry/Spline.h"
#include "host/core/model/Mesh.h"
#include "host/gl/GlArrow.h"
#include "host/gl/GlCircle.h"
#include "host/gl/GlGrid.h"
#include "host/gl/GlMesh.h"
#include "host/gl/GlPointBasedAnnotation.h"
#include "host/gl/GlSpline.h"
#include "host/gl/GlTrackingSequence.h"

#include <vtkCellArray.h>
#include <vtkDoubleArray.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <Eigen/Geometry>

#include <cmath>
#include <numbers>

namespace Tesselon {

namespace {

// Arrow head proportions relative to the arrow's length.
constexpr double headLengthRatio = 0.2;
constexpr double headRadiusRatio = 0.06;
constexpr int headSegments = 16;

/// Collects points and cells, then hands them to a poly data at once.
struct Builder
{
    vtkNew<vtkPoints> points;
    vtkNew<vtkCellArray> vertices;
    vtkNew<vtkCellArray> lines;
    vtkNew<vtkCellArray> triangles;

    vtkIdType add(const Eigen::Vector3d& point) { return points->InsertNextPoint(point.data()); }

    void addPolyline(const std::vector<Eigen::Vector3d>& path, bool closed)
    {
        if (path.size() < 2)
            return;
        const vtkIdType first = points->GetNumberOfPoints();
        for (const Eigen::Vector3d& point : path)
            add(point);
        lines->InsertNextCell(static_cast<vtkIdType>(path.size() + (closed ? 1 : 0)));
        for (vtkIdType i = 0; i < static_cast<vtkIdType>(path.size()); ++i)
            lines->InsertCellPoint(first + i);
        if (closed)
            lines->InsertCellPoint(first);
    }

    void addVertices(const std::vector<Eigen::Vector3d>& markers)
    {
        for (const Eigen::Vector3d& point : markers) {
            const vtkIdType id = add(point);
            vertices->InsertNextCell(1, &id);
        }
    }

    void store(vtkPolyData* output)
    {
        output->Initialize();
        output->SetPoints(points);
        output->SetVerts(vertices);
        output->SetLines(lines);
        output->SetPolys(triangles);
    }
};

void addMesh(const Mesh& mesh, Builder& builder, vtkPolyData* output)
{
    for (const Eigen::Vector3d& vertex : mesh.vertices())
        builder.add(vertex);
    for (const Mesh::Triangle& face : mesh.faces()) {
        const vtkIdType ids[3] = {face[0], face[1], face[2]};
        builder.triangles->InsertNextCell(3, ids);
    }
    builder.store(output);
    if (!mesh.hasNormals())
        return;
    vtkNew<vtkDoubleArray> normals;
    normals->SetNumberOfComponents(3);
    normals->SetNumberOfTuples(static_cast<vtkIdType>(mesh.normals().size()));
    for (std::size_t i = 0; i < mesh.normals().size(); ++i)
        normals->SetTuple(static_cast<vtkIdType>(i), mesh.normals()[i].data());
    output->GetPointData()->SetNormals(normals);
}

std::vector<Eigen::Vector3d> splineSamples(const std::vector<Eigen::Vector3d>& controlPoints)
{
    if (controlPoints.size() < 2)
        return controlPoints;
    const Spline spline(controlPoints);
    const int samples = static_cast<int>(controlPoints.size() - 1) * VtkGeometry::splineSamplesPerSegment;
    std::vector<Eigen::Vector3d> path;
    for (int i = 0; i <= samples; ++i)
        path.push_back(spline.evaluate(static_cast<double>(i) / VtkGeometry::splineSamplesPerSegment));
    return path;
}

void addCircle(const GlCircle& circle, Builder& builder)
{
    std::vector<Eigen::Vector3d> loop;
    for (int i = 0; i < VtkGeometry::circleSegments; ++i)
        loop.push_back(circle.pointAt(2.0 * std::numbers::pi * i / VtkGeometry::circleSegments));
    builder.addPolyline(loop, true);
}

/// A shaft drawn as a line, so it keeps the object's line width, and a solid cone for the head.
void addArrow(const GlArrow& arrow, Builder& builder)
{
    const Eigen::Vector3d axis = arrow.end() - arrow.start();
    const double length = axis.norm();
    if (length == 0.0)
        return;
    const Eigen::Vector3d direction = axis / length;
    const Eigen::Vector3d headBase = arrow.end() - headLengthRatio * length * direction;
    builder.addPolyline({arrow.start(), headBase}, false);

    const Eigen::Vector3d u = direction.unitOrthogonal();
    const Eigen::Vector3d v = direction.cross(u);
    const double radius = headRadiusRatio * length;
    const vtkIdType tip = builder.add(arrow.end());
    const vtkIdType centre = builder.add(headBase);
    const vtkIdType rim = builder.points->GetNumberOfPoints();
    for (int i = 0; i < headSegments; ++i) {
        const double angle = 2.0 * std::numbers::pi * i / headSegments;
        builder.add(headBase + radius * (std::cos(angle) * u + std::sin(angle) * v));
    }
    for (int i = 0; i < headSegments; ++i) {
        const vtkIdType a = rim + i;
        const vtkIdType b = rim + (i + 1) % headSegments;
        const vtkIdType side[3] = {a, b, tip};
        const vtkIdType base[3] = {b, a, centre};
        builder.triangles->InsertNextCell(3, side);
        builder.triangles->InsertNextCell(3, base);
    }
}

void addGrid(const GlGrid& grid, Builder& builder)
{
    const double half = grid.extent() / 2.0;
    const int count = grid.lineCount();
    // Lines are centred on the origin like the grid itself.
    const double first = -(count - 1) * grid.cellSize() / 2.0;
    for (int i = 0; i < count; ++i) {
        const double offset = first + i * grid.cellSize();
        builder.addPolyline({{offset, -half, 0.0}, {offset, half, 0.0}}, false);
        builder.addPolyline({{-half, offset, 0.0}, {half, offset, 0.0}}, false);
    }
}

}  // namespace

void VtkGeometry::fill(const GlObject& object, vtkPolyData* output)
{
    Builder builder;
    if (const auto* mesh = dynamic_cast<const GlMesh*>(&object)) {
        if (mesh->mesh()) {
            addMesh(*mesh->mesh(), builder, output);
            return;
        }
    } else if (const auto* annotation = dynamic_cast<const GlPointBasedAnnotation*>(&object)) {
        const bool smooth = dynamic_cast<const GlSpline*>(&object) != nullptr;
        // A sequence marked by dots has no line between its poses.
        const auto* sequence = dynamic_cast<const GlTrackingSequence*>(&object);
        if (!sequence || sequence->indicatorType() == GlTrackingSequence::IndicatorType::Line)
            builder.addPolyline(smooth ? splineSamples(annotation->points()) : annotation->points(), false);
        builder.addVertices(annotation->points());
    } else if (const auto* circle = dynamic_cast<const GlCircle*>(&object)) {
        addCircle(*circle, builder);
    } else if (const auto* arrow = dynamic_cast<const GlArrow*>(&object)) {
        addArrow(*arrow, builder);
    } else if (const auto* grid = dynamic_cast<const GlGrid*>(&object)) {
        addGrid(*grid, builder);
    }
    builder.store(output);
}

}  // namespace Tesselon
