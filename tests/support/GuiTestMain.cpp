#include <QApplication>

#include <gtest/gtest.h>

#include <string_view>

// Widget test programs need a full application object; offscreen unless a test needs an X server.
int main(int argc, char** argv)
{
    // Listing the tests needs no application; the platform plugin's teardown would only add noise (its
    // screens are never freed, which LeakSanitizer reports while the build discovers the tests).
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--gtest_list_tests") {
            testing::InitGoogleTest(&argc, argv);
            return RUN_ALL_TESTS();
        }
    // Test discovery runs the program without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
