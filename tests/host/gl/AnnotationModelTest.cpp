#include "host/core/model/SharedImageSet.h"
#include "host/gl/AnnotationModel.h"
#include "host/gl/GlLine.h"
#include "host/gl/GlMesh.h"
#include "host/gl/GlView.h"
#include "host/gl/PointBasedAnnotationManipulator.h"
#include "tests/host/gl/SignalSpy.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <Eigen/Geometry>

using namespace Tesselon;
using namespace Tesselon::Test;

namespace {

/// An annotation owning its object and that object's default manipulator.
std::unique_ptr<InteractiveObject> annotation(GlObject* object)
{
    return std::make_unique<InteractiveObject>(
        object, AnnotationModel::createDefaultManipulator(object).release(), true);
}

/// Counts deletions of what an annotation shares, as a mesh released on `aboutToBeDeleted` would be.
class ReleaseCounter : public SignalReceiver
{
public:
    void watch(InteractiveObject* object)
    {
        object->aboutToBeDeleted.connect(this, [this](InteractiveObject* dying) {
            // Object and manipulator must still be usable here.
            lastName = dying->object()->name();
            ++releases;
        });
    }
    int releases = 0;
    std::string lastName;
};

}  // namespace

TEST(InteractiveObject, SignalsDeletionWhileItsObjectExistsOwnedObjectLeavesTheViewsBorrowedStays)
{
    ReleaseCounter counter;
    auto object = annotation(new GlMesh());
    object->object()->setName("Tool");
    counter.watch(object.get());
    object.reset();
    EXPECT_EQ(counter.releases, 1);
    EXPECT_EQ(counter.lastName, "Tool");

    GlLine line;
    auto manipulator = AnnotationModel::createDefaultManipulator(&line);
    GlView view;
    view.addObject(&line);
    InteractiveObject(&line, manipulator.get(), false);  // borrowed, and gone at once
    EXPECT_TRUE(view.contains(&line));
    auto owned = annotation(new GlLine());
    view.addObject(owned->object());
    owned.reset();
    EXPECT_EQ(view.objects(), std::vector<GlObject*>{&line});
}

TEST(AnnotationModel, DefaultManipulatorEditsPointsOfPointBasedAnnotationsNullInputsAreLogged)
{
    GlLine line;
    line.setMatrix(Eigen::Affine3d(Eigen::Translation3d(10, 0, 0)).matrix());
    line.addPoint(Eigen::Vector3d::Zero());
    auto manipulator = AnnotationModel::createDefaultManipulator(&line);
    auto* pointEditor = dynamic_cast<PointBasedAnnotationManipulator*>(manipulator.get());
    ASSERT_NE(pointEditor, nullptr);
    pointEditor->movePoint(0, Eigen::Vector3d(10, 5, 0));
    EXPECT_TRUE(line.points()[0].isApprox(Eigen::Vector3d(0, 5, 0)));

    GlMesh mesh;
    auto meshManipulator = AnnotationModel::createDefaultManipulator(&mesh);
    EXPECT_EQ(dynamic_cast<PointBasedAnnotationManipulator*>(meshManipulator.get()), nullptr);
    meshManipulator->translate(Eigen::Vector3d(1, 2, 3));
    EXPECT_EQ(Eigen::Vector3d(mesh.matrix().col(3).head<3>()), Eigen::Vector3d(1, 2, 3));

    LogCapture log;
    AnnotationModel model;
    SignalSpy added(model.annotationAdded);
    EXPECT_EQ(model.add(nullptr), nullptr);
    EXPECT_EQ(AnnotationModel::createDefaultManipulator(nullptr), nullptr);
    EXPECT_EQ(added.count(), 0);
    EXPECT_EQ(log->messages().size(), 2u);
}

class AnnotationModelTest : public testing::Test
{
protected:
    AnnotationModel model;
    SignalSpy<InteractiveObject*> added{model.annotationAdded};
    SignalSpy<InteractiveObject*> removing{model.annotationAboutToBeRemoved};
    ReleaseCounter counter;
};

TEST_F(AnnotationModelTest, AddSignalsListsInOrderAndFindsAnnotationsByTheirData)
{
    InteractiveObject* first = model.add(annotation(new GlLine()));
    InteractiveObject* second = model.add(annotation(new GlMesh()));
    EXPECT_EQ(model.getAnnotations(), (std::vector<InteractiveObject*>{first, second}));
    ASSERT_EQ(added.count(), 2);
    EXPECT_EQ(std::get<0>(added.calls()[1]), second);

    const SharedImageSet image({2, 2, 2}, Eigen::Vector3d(1, 1, 1), std::vector<float>(8, 0.0f));
    InteractiveObject* onImage = model.add(annotation(new GlLine()), &image);
    EXPECT_EQ(model.getAnnotations(&image), std::vector<InteractiveObject*>{onImage});
    EXPECT_EQ(model.getAnnotations(nullptr), (std::vector<InteractiveObject*>{first, second}));
    EXPECT_EQ(model.parent(onImage), &image);
}

TEST_F(AnnotationModelTest, RemoveAndDeleteSignalsWhileStillInTheModelThenDeletes)
{
    InteractiveObject* object = model.add(annotation(new GlLine()));
    counter.watch(object);
    bool presentDuringSignal = false;
    SignalReceiver receiver;
    model.annotationAboutToBeRemoved.connect(
        &receiver, [&](InteractiveObject* leaving) { presentDuringSignal = model.contains(leaving); });

    EXPECT_EQ(model.remove(object, true), nullptr);
    EXPECT_TRUE(presentDuringSignal);
    EXPECT_EQ(removing.count(), 1);
    EXPECT_EQ(counter.releases, 1);
    EXPECT_TRUE(model.getAnnotations().empty());
}

TEST_F(AnnotationModelTest, RemoveWithoutDeletingHandsOwnershipBackAndIgnoresStrangers)
{
    InteractiveObject* object = model.add(annotation(new GlLine()));
    counter.watch(object);
    std::unique_ptr<InteractiveObject> back = model.remove(object, false);
    EXPECT_EQ(back.get(), object);
    EXPECT_EQ(counter.releases, 0);
    EXPECT_FALSE(model.contains(object));
    EXPECT_EQ(model.remove(back.get(), true), nullptr);
    EXPECT_EQ(removing.count(), 1);
}

TEST_F(AnnotationModelTest, RemovingAgainFromTheRemovalSignalDoesNotRecurseDestroyingDeletesTheRest)
{
    InteractiveObject* object = model.add(annotation(new GlLine()));
    SignalReceiver receiver;
    model.annotationAboutToBeRemoved.connect(
        &receiver, [&](InteractiveObject* leaving) { model.remove(leaving, true); });
    model.remove(object, true);
    EXPECT_EQ(removing.count(), 1);
    EXPECT_TRUE(model.getAnnotations().empty());

    auto owner = std::make_unique<AnnotationModel>();
    counter.watch(owner->add(annotation(new GlLine())));
    counter.watch(owner->add(annotation(new GlMesh())));
    owner.reset();
    EXPECT_EQ(counter.releases, 2);
}

TEST_F(AnnotationModelTest, AnnotationsMoveWithTheirDataUntilTheLastOneOfItIsRemoved)
{
    SharedImageSet image({2, 2, 2}, Eigen::Vector3d(1, 1, 1), std::vector<float>(8, 0.0f));
    auto* path = new GlLine();
    path->setPoints({{0, 0, 0}, {10, 0, 0}});
    auto* mesh = new GlMesh();
    InteractiveObject* onImage = model.add(annotation(path), &image);
    model.add(annotation(mesh), &image);
    auto* unattached = new GlLine();
    unattached->setPoints({{0, 0, 0}, {10, 0, 0}});
    model.add(annotation(unattached));

    // A registration turning the image a quarter turn about z and moving it 5 mm along x.
    Eigen::Affine3d registration =
        Eigen::Translation3d(5, 0, 0) * Eigen::AngleAxisd(M_PI / 2, Eigen::Vector3d::UnitZ());
    image.setMatrix(registration.matrix());
    EXPECT_TRUE(path->points()[1].isApprox(Eigen::Vector3d(5, 10, 0)));
    EXPECT_TRUE(mesh->matrix().isApprox(registration.matrix()));
    EXPECT_EQ(unattached->points()[1], Eigen::Vector3d(10, 0, 0));

    // To and from a pose that cannot be inverted nothing moves, and the log says why.
    LogCapture log;
    image.setMatrix(Eigen::Matrix4d::Zero());
    image.setMatrix(Eigen::Matrix4d::Identity());
    EXPECT_TRUE(path->points()[1].isApprox(Eigen::Vector3d(5, 10, 0)));
    EXPECT_EQ(log->messages().size(), 2u);

    model.remove(model.getAnnotations(&image)[1], true);
    model.remove(onImage, true);
    image.setMatrix(Eigen::Matrix4d::Zero());  // no one follows any more
    EXPECT_EQ(log->messages().size(), 2u);
}
