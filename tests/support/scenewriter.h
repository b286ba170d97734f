// Writes .3d scene files for tests: describe the contents in a TestScene and take its Bytes(), or
// build any byte sequence (broken files included) with the format's ByteWriter.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sceneformat.h"
#include "vecmath.h"

namespace testscene {

struct CameraRecord {
    std::string name;
    Vector eye;
    Vector target;
};

struct ObjectRecord {
    std::string name;
    int firstVertex, endVertex;  // half-open
    int firstFace, endFace;      // half-open
    int material;
};

struct MaterialRecord {
    std::string name;
    Vector ambient;
    Vector diffuse;
    Vector specular;
    int texture;  // negative: untextured
};

struct LightRecord {
    std::string name;  // "F ..." flare, "LF ..."/"FL ..." both, anything else a device light
    Vector position;
    Vector colour;
};

struct Key {
    int frame;  // as stored, before the frame scale
    Vector value;
};

struct TrackRecord {
    int tag;
    int subtype;  // object tracks only
    int index;
    std::vector<Key> keys;
    std::optional<int> keyCount;  // written instead of keys.size() when set
};

TrackRecord CameraEyeTrack(int camera, std::vector<Key> keys);
TrackRecord CameraTargetTrack(int camera, std::vector<Key> keys);
TrackRecord ObjectPositionTrack(int object, std::vector<Key> keys);
TrackRecord ObjectScaleTrack(int object, std::vector<Key> keys);
TrackRecord LightPositionTrack(int light, std::vector<Key> keys);

struct TestScene {
    std::vector<CameraRecord> cameras;
    std::vector<ObjectRecord> objects;
    std::vector<std::string> textures;  // image file names under gfx/
    std::vector<MaterialRecord> materials;
    std::vector<LightRecord> lights;
    std::vector<Vector> positions;
    std::vector<std::array<float, 2>> textureCoordinates;  // u, v; missing ones are written as 0, 0
    std::vector<std::array<int, 3>> faces;
    std::vector<TrackRecord> tracks;
    int lightCountByte = -1;  // written instead of lights.size() when not -1

    // Appends an object made of the given vertices and faces (indices relative to the object),
    // returning its index.
    int AddObject(const std::string& name, const std::vector<Vector>& vertices,
                  const std::vector<std::array<int, 3>>& objectFaces, int material);
    // Appends a 12-triangle axis-aligned box centred on centre.
    int AddBox(const std::string& name, const Vector& centre, const Vector& size, int material);

    std::vector<unsigned char> Bytes() const;
    // Where Bytes() puts each section.
    SceneSections Sections() const;
};

// Writes bytes to a file, creating or replacing it; false when it cannot.
bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace testscene
