#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "ddraw/devicedriver.h"
#include "ddraw/opengl/glprobe.h"

namespace {

bool Mapped(const std::string& name) {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find(name) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(OpenGlProbe, AsksInAProgramOfItsOwnWithTheAnswerAskingHereGives) {
    // A process that only asks never holds the driver (with llvmpipe, LLVM's 50 MB).
    const DeviceAvailability asked = AvailabilityOf(openglDeviceRecord);
    EXPECT_FALSE(Mapped("_dri.so"));
    EXPECT_FALSE(Mapped("libLLVM"));
    EXPECT_EQ(asked, opengl::ProbeHere());
}
