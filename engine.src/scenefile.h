// Reading and checking a .3d scene file: little-endian fixed-width records counted by a 9-byte
// header, then tagged animation tracks up to a tag 0. The loader and the scene inspector both
// go through ParseSceneFile, so a file the inspector calls valid is a file the loader takes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scene.h"
#include "sceneformat.h"
#include "vecmath.h"

// What a track animates: the table it fills in a Scene.
enum TrackKind { EyeTrack, TargetTrack, PositionTrack, ScaleTrack, LightTrack };

struct SceneFileProblem {
    size_t offset;
    // Fatal problems make the loader refuse the file; the others are degraded (a name cut to
    // 20 characters, a track or key dropped or held, an index clamped) and only reported.
    bool fatal;
    std::string message;
};

struct SceneFileLight {
    size_t offset;  // of the record
    std::string name;
    Vector position;
    Vector colour;
};

struct SceneFileTrack {
    size_t offset;  // of the tag
    TrackKind kind;
    int index;
    int keyCount;                // as written in the file
    std::vector<int16_t> frames;  // scaled and truncated; keys that do not fit 16 bits are left out
    std::vector<Vector> values;
    bool usable;                  // false: the loader leaves the track out
};

// A file as read, before anything reaches a Scene or the device.
struct SceneFile {
    uint8_t cameraCount;
    uint16_t vertexCount;
    uint16_t faceCount;
    uint8_t objectCount;
    uint8_t textureCount;
    uint8_t materialCount;
    int8_t lightCount;  // 128 and more read negative: no light record
    std::vector<Camera> cameras;
    std::vector<SceneObject> objects;
    std::vector<std::string> textureNames;
    std::vector<MaterialEntry> materials;
    std::vector<SceneFileLight> lights;
    std::vector<Vector> positions;
    std::vector<float> textureCoordinates;  // u, v per vertex
    std::vector<MeshFace> faces;
    std::vector<SceneFileTrack> tracks;
    int frameCount;  // largest last-key frame over the usable tracks
    std::vector<SceneFileProblem> problems;

    SceneCounts Counts() const;
    bool HasFatalProblem() const;
    const SceneFileProblem* FirstFatalProblem() const;
};

// Reads one 21-byte name field: a length byte, then 20 characters of which that many are the
// name. A length past 20 is cut to 20 (clamped is set). 0 when the field is cut short.
int ReadName(ByteReader& reader, std::string& name, int* clamped);

// Parses and checks a file's bytes for the given frame scale; a flat load also needs the
// objects' face ranges to follow one another from face 0. 1 when the loader can take it
// (problems may still hold reports that are not fatal).
int ParseSceneFile(const unsigned char* bytes, size_t size, float frameScale, int flatMesh, SceneFile& file);

const char* TrackKindName(TrackKind kind);
