// A scene as the show's loader reads it: cameras, objects over one shared vertex and face list,
// textures, materials, lights and key-frame tracks, encoded to the .3d byte layout.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mesh.h"

namespace bake {

struct Key {
    float frame;  // in show frames, after the file's frame scale
    V3 value;
};

enum class TrackKind { CameraEye, CameraTarget, ObjectPosition, ObjectScale, Light };

class SceneFile {
public:
    SceneFile(std::string fileName, float frameScale) : fileName(std::move(fileName)), frameScale(frameScale) {}

    const std::string& FileName() const { return fileName; }
    float FrameScale() const { return frameScale; }

    int AddCamera(const std::string& name, V3 eye, V3 target);
    int AddTexture(const std::string& imageName);  // one slot per distinct name
    int AddMaterial(const std::string& name, V3 diffuse, int texture = -1, V3 ambient = {}, V3 specular = {});
    int AddObject(const std::string& name, const Mesh& mesh, int material);
    int AddLight(const std::string& name, V3 position, V3 colour);

    // Keys in show frames; the first at 0, increasing, at least two.
    void AddTrack(TrackKind kind, int index, const std::vector<Key>& keys);

    int ObjectCount() const { return int(objects.size()); }
    int VertexCount() const { return int(positions.size()); }
    int FaceCount() const { return int(faces.size()); }
    // The world-space bounds of one object as the loader computes them.
    void Bounds(int object, V3& minimum, V3& maximum) const;
    // Frames of the file after scaling, as the loader reads them back.
    int ScaledFrame(int fileFrame) const;

    // Checks every limit the loader relies on and returns the file's bytes.
    std::vector<uint8_t> Encode() const;

private:
    struct CameraRecord { std::string name; V3 eye, target; };
    struct ObjectRecord { std::string name; uint16_t firstVertex, endVertex, firstFace, endFace; int8_t material; };
    struct MaterialRecord { std::string name; V3 ambient, diffuse, specular; int8_t texture; };
    struct LightRecord { std::string name; V3 position, colour; };
    struct Track { TrackKind kind; int index; std::vector<std::pair<int16_t, V3>> keys; };

    std::string fileName;
    float frameScale;
    std::vector<CameraRecord> cameras;
    std::vector<ObjectRecord> objects;
    std::vector<std::string> textures;
    std::vector<MaterialRecord> materials;
    std::vector<LightRecord> lights;
    std::vector<V3> positions;
    std::vector<std::array<float, 2>> uvs;
    std::vector<std::array<uint16_t, 3>> faces;
    std::vector<Track> tracks;
};

// Key helpers: a path sampled into keys every step frames from 0 to end (inclusive).
std::vector<Key> KeysAlong(float endFrame, int count, const std::function<V3(float frame)>& path);

}  // namespace bake
