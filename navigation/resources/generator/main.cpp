#include "navigation/resources/generator/ResourceTreeWriter.h"

#include <exception>
#include <iostream>

// Writes the plug-in's animations, sphere mesh and Resources.qrc into the folder given on the command line.
// No application object is created: painting shapes on a QImage needs none, so the build needs neither a
// display nor a platform plug-in. Drawing text would need a QGuiApplication on the offscreen platform.
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: TesselonResourceGenerator OUTPUT_DIR\n";
        return 2;
    }
    try {
        Tesselon::ResourceTreeWriter(argv[1]).writeAll();
    } catch (const std::exception& error) {
        std::cerr << "TesselonResourceGenerator: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
