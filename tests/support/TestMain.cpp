#include <QCoreApplication>

#include <gtest/gtest.h>

// Every test program has a Qt application object, so tests may use queued invocations and resources.
int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
