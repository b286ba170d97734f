// Every object the show draws exists once, for the whole run.
#pragma once

#include "billboard.h"
#include "scene.h"

// Scene slots and their light sets, named by the files they are loaded from.
extern Scene etestScene, etest2Scene, bboxyScene, etest4Scene, dacodeScene, rokiScene, compeScene,
    binaryScene, humanusScene, humanusFlatScene, laitScene, liteScene, cubaScene, humanuScene,
    tribesScene, kingScene, cubikiScene, cubikScene, alienScene;
extern LightSet etestLights, etest2Lights, bboxyLights, etest4Lights, dacodeLights, rokiLights,
    compeLights, binaryLights, humanusLights, humanusFlatLights, laitLights, liteLights, cubaLights,
    humanuLights, tribesLights, kingLights, cubikiLights, cubikLights, alienLights;

// Texture variables, named by their image file (the full-size name stands for both variants).
extern LPDIRECTDRAWSURFACE7 loadingTexture, tessik2Texture, visionTexture, suspTexture, keyTexture,
    freedomTexture, youareTexture, wire2Texture, changeTexture, endTexture, end1Texture, end2Texture,
    skellTexture, ravmoorTexture, pellinTexture, mendrowTexture, tessikTexture, quorvelTexture,
    codeTexture, musicTexture, art2dTexture, art3dTexture;

// Three DrawVertex per face of the flat figure, as loaded; the burst rebuilds from it.
extern DrawVertex* figureCopy;

extern Billboard billboard;
extern Vector savedColour;
extern Vector EYE;
extern Vector TARGET;

// The rising and falling glows of the roki columns.
struct Particle {
    float size;
    float height;
    float speed;
};
constexpr int ParticleCount = 170;
extern Particle particleField[ParticleCount];

// The show's one random generator: fixed seed, so every run is the same show.
int Random();
void ResetParticle(int index);
void InitParticleField();
