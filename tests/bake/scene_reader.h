// An independent reading of the .3d layout, to check what the baker wrote.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ReadVector {
    float x, y, z;
};

struct ReadScene {
    std::string error;  // empty when the file read cleanly to its last byte
    struct Camera { std::string name; ReadVector eye, target; };
    struct Object { std::string name; int firstVertex, endVertex, firstFace, endFace, material; };
    struct Material { std::string name; ReadVector ambient, diffuse, specular; int texture; };
    struct Light { std::string name; ReadVector position, colour; };
    struct Track { int tag, subtype, index; std::vector<int> frames; std::vector<ReadVector> values; };
    std::vector<Camera> cameras;
    std::vector<Object> objects;
    std::vector<std::string> textures;
    std::vector<Material> materials;
    std::vector<Light> lights;
    std::vector<ReadVector> positions;
    std::vector<std::array<float, 2>> uvs;
    std::vector<std::array<int, 3>> faces;
    std::vector<Track> tracks;  // frames already multiplied by the frame scale and truncated

    // Last scaled frame of a track, or −1 when there is none.
    int TrackEnd(int tag, int subtype, int index) const;
    int FrameCount() const;
    void Bounds(int object, ReadVector& minimum, ReadVector& maximum) const;
};

ReadScene ReadSceneFile(const std::vector<uint8_t>& bytes, float frameScale);
