#include "globals.h"

#include <climits>
#include <cstdint>

// Constructed in this order: the scene slots in load order, then the billboard and the vectors.
LightSet etestLights;
Scene etestScene;
LightSet etest2Lights;
Scene etest2Scene;
LightSet bboxyLights;
Scene bboxyScene;
LightSet etest4Lights;
Scene etest4Scene;
LightSet dacodeLights;
Scene dacodeScene;
LightSet rokiLights;
Scene rokiScene;
LightSet compeLights;
Scene compeScene;
LightSet binaryLights;
Scene binaryScene;
LightSet humanusLights;
Scene humanusScene;
LightSet humanusFlatLights;
Scene humanusFlatScene;
LightSet laitLights;
Scene laitScene;
LightSet liteLights;
Scene liteScene;
LightSet cubaLights;
Scene cubaScene;
LightSet humanuLights;
Scene humanuScene;
LightSet tribesLights;
Scene tribesScene;
LightSet kingLights;
Scene kingScene;
LightSet cubikiLights;
Scene cubikiScene;
LightSet cubikLights;
Scene cubikScene;
LightSet alienLights;
Scene alienScene;

Billboard billboard;
Vector savedColour;
Vector EYE;
Vector TARGET;

LPDIRECTDRAWSURFACE7 loadingTexture, tessik2Texture, visionTexture, suspTexture, keyTexture, freedomTexture,
    youareTexture, wire2Texture, changeTexture, endTexture, end1Texture, end2Texture, skellTexture,
    ravmoorTexture, pellinTexture, mendrowTexture, tessikTexture, quorvelTexture, codeTexture, musicTexture,
    art2dTexture, art3dTexture;

DrawVertex* figureCopy;

Particle particleField[ParticleCount];

namespace {

uint32_t randomState = 1;

// The roki scene's objects whose tops give the field its heights.
constexpr int StartRangeObject = 28;
constexpr int DropHeightObject = 55;

}  // namespace

int Random() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFF);
}

void ResetParticle(int index) {
    if (index < 0 || index >= ParticleCount) return;
    Particle& particle = particleField[index];
    particle.size = static_cast<float>((Random() % 20) / 10.0 + 1.0);
    particle.speed = static_cast<float>((Random() % 7) / 10.0 + 0.3);
    if (Random() % 100 < 50) particle.speed = -particle.speed;
    particle.height = particle.speed > 0 ? 0.0f : rokiScene.bounds[DropHeightObject].maximum.y;
}

void InitParticleField() {
    const float scaledRange = rokiScene.bounds[StartRangeObject].maximum.y * 10.0f;
    // A start range below 0.1 would leave nothing to divide by: such a field starts at the floor.
    int range = 1;
    if (scaledRange >= static_cast<float>(INT_MAX))
        range = INT_MAX;
    else if (scaledRange >= 1.0f)
        range = static_cast<int>(scaledRange);
    for (int i = 0; i < ParticleCount; ++i) {
        ResetParticle(i);
        particleField[i].height = static_cast<float>((Random() % range) / 10.0);
    }
}
