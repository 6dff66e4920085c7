#include "host/gl/resources/generator/HostResourceWriter.h"

#include <QFile>
#include <QImage>
#include <QTextStream>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Tesselon;

namespace {

struct ObjSummary
{
    int vertices = 0, normals = 0, faces = 0;
    double minZ = std::numeric_limits<double>::infinity();
    double maxZ = -std::numeric_limits<double>::infinity(), maxRadius = 0.0;
    bool unitNormals = true, indicesInRange = true;
};

ObjSummary summarise(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    ObjSummary summary;
    QTextStream text(&file);
    while (!text.atEnd()) {
        const QStringList fields = text.readLine().split(' ', Qt::SkipEmptyParts);
        if (fields.isEmpty())
            continue;
        if (fields[0] == "v") {
            ++summary.vertices;
            const double x = fields[1].toDouble(), y = fields[2].toDouble(), z = fields[3].toDouble();
            summary.minZ = std::min(summary.minZ, z);
            summary.maxZ = std::max(summary.maxZ, z);
            summary.maxRadius = std::max(summary.maxRadius, std::hypot(x, y));
        } else if (fields[0] == "vn") {
            ++summary.normals;
            const double length =
                std::sqrt(std::pow(fields[1].toDouble(), 2) + std::pow(fields[2].toDouble(), 2) +
                          std::pow(fields[3].toDouble(), 2));
            summary.unitNormals = summary.unitNormals && std::abs(length - 1.0) < 1e-5;
        } else if (fields[0] == "f") {
            ++summary.faces;
            for (int corner = 1; corner <= 3; ++corner) {
                const int index = fields[corner].split("//")[0].toInt();
                summary.indicesInRange = summary.indicesInRange && index >= 1 && index <= summary.vertices;
            }
        }
    }
    return summary;
}

TEST(HostResources, EveryResourceIsCompiledInMeshesLieAlongTheirAxesIconsAreSquareAndDrawn)
{
    const ObjSummary pointer = summarise(":/TrackingPointer.obj");
    EXPECT_EQ(pointer.minZ, 0.0);
    EXPECT_GT(pointer.maxZ, 100.0);
    EXPECT_EQ(pointer.normals, pointer.vertices);
    EXPECT_TRUE(pointer.unitNormals);
    EXPECT_TRUE(pointer.indicesInRange);

    const ObjSummary extended = summarise(":/TrackingPointerExtended.obj");
    EXPECT_LT(extended.minZ, -100.0) << "the extension shows the course ahead of the tip";
    EXPECT_GT(extended.faces, pointer.faces);

    for (const char* path : {":/SingleRing.obj", ":/Bullseye.obj"}) {
        const ObjSummary mesh = summarise(path);
        EXPECT_LT(mesh.maxZ - mesh.minZ, 2.0) << path;
        EXPECT_GT(mesh.maxRadius, 5.0) << path;
        EXPECT_TRUE(mesh.indicesInRange && mesh.unitNormals) << path;
    }

    for (const auto& [path, file] : HostResourceWriter::resources())
        EXPECT_TRUE(QFile::exists(QString::fromStdString(":/" + path))) << path;

    for (const char* path : {":/PlaybackPlay.png", ":/PlaybackStop.png", ":/icons/Recenter.png",
                             ":/icons/64/IconArrowLeft.png", ":/icons/64/IconArrowRight.png"}) {
        const QImage icon(path);
        ASSERT_FALSE(icon.isNull()) << path;
        EXPECT_EQ(icon.size(), QSize(64, 64)) << path;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << path;
        EXPECT_EQ(qAlpha(icon.pixel(32, 32)), 255) << path;
    }
    // Each arrow's head is on its own side.
    const QImage left(":/icons/64/IconArrowLeft.png");
    const QImage right(":/icons/64/IconArrowRight.png");
    EXPECT_EQ(qAlpha(left.pixel(27, 20)), 255);
    EXPECT_EQ(qAlpha(right.pixel(27, 20)), 0);
    EXPECT_EQ(qAlpha(right.pixel(37, 20)), 255);
    EXPECT_EQ(qAlpha(left.pixel(37, 20)), 0);
}

}  // namespace
