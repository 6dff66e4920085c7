#include "host/gl/resources/generator/HostResourceWriter.h"

#include <exception>
#include <iostream>

// Writes the host's meshes, icons and HostResources.qrc into the folder given on the command line. Shapes
// are painted on a QImage, which needs no application object, so the build needs no display.
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: TesselonHostResourceGenerator OUTPUT_DIR\n";
        return 2;
    }
    try {
        Tesselon::HostResourceWriter(argv[1]).writeAll();
    } catch (const std::exception& error) {
        std::cerr << "TesselonHostResourceGenerator: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
