// The setup dialog's choices and the screen size the render device was created with.
#pragma once

#include <windows.h>

struct SetupChoices {
    int deviceIndex;
    int modeIndex;
    int textureFiltering;
    int perspectiveCorrection;
    int dithering;
    int screenWidth;
    int screenHeight;
    int screenBits;
};

extern SetupChoices setupChoices;
