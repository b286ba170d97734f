#include "scenewriter.h"

#include <cstdio>

namespace testscene {

static TrackRecord Track(int tag, int subtype, int index, std::vector<Key> keys) {
    TrackRecord track;
    track.tag = tag;
    track.subtype = subtype;
    track.index = index;
    track.keys = std::move(keys);
    return track;
}

TrackRecord CameraEyeTrack(int camera, std::vector<Key> keys) { return Track(EyeTag, 0, camera, std::move(keys)); }
TrackRecord CameraTargetTrack(int camera, std::vector<Key> keys) {
    return Track(TargetTag, 0, camera, std::move(keys));
}
TrackRecord ObjectPositionTrack(int object, std::vector<Key> keys) {
    return Track(ObjectTag, PositionSubtype, object, std::move(keys));
}
TrackRecord ObjectScaleTrack(int object, std::vector<Key> keys) {
    return Track(ObjectTag, ScaleSubtype, object, std::move(keys));
}
TrackRecord LightPositionTrack(int light, std::vector<Key> keys) { return Track(LightTag, 0, light, std::move(keys)); }

int TestScene::AddObject(const std::string& name, const std::vector<Vector>& vertices,
                         const std::vector<std::array<int, 3>>& objectFaces, int material) {
    ObjectRecord object;
    object.name = name;
    object.firstVertex = static_cast<int>(positions.size());
    object.endVertex = object.firstVertex + static_cast<int>(vertices.size());
    object.firstFace = static_cast<int>(faces.size());
    object.endFace = object.firstFace + static_cast<int>(objectFaces.size());
    object.material = material;
    for (const Vector& v : vertices) {
        positions.push_back(v);
        textureCoordinates.push_back({0.0f, 0.0f});
    }
    for (const auto& face : objectFaces)
        faces.push_back({face[0] + object.firstVertex, face[1] + object.firstVertex, face[2] + object.firstVertex});
    objects.push_back(object);
    return static_cast<int>(objects.size()) - 1;
}

int TestScene::AddBox(const std::string& name, const Vector& centre, const Vector& size, int material) {
    std::vector<Vector> corners;
    for (int i = 0; i < 8; ++i)
        corners.push_back(Vector(centre.x + (i & 1 ? 0.5f : -0.5f) * size.x,
                                 centre.y + (i & 2 ? 0.5f : -0.5f) * size.y,
                                 centre.z + (i & 4 ? 0.5f : -0.5f) * size.z));
    // Two triangles per side, wound clockwise seen from outside (the front face in Direct3D).
    const std::vector<std::array<int, 3>> sides = {
        {0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 4, 6}, {0, 6, 2},
        {1, 3, 7}, {1, 7, 5}, {0, 1, 5}, {0, 5, 4}, {2, 6, 7}, {2, 7, 3},
    };
    return AddObject(name, corners, sides, material);
}

SceneSections TestScene::Sections() const {
    const int lightCount = static_cast<int8_t>(lightCountByte >= 0 ? lightCountByte : static_cast<int>(lights.size()));
    return SceneSections(SceneCounts{static_cast<int>(cameras.size()), static_cast<int>(positions.size()),
                                     static_cast<int>(faces.size()), static_cast<int>(objects.size()),
                                     static_cast<int>(textures.size()), static_cast<int>(materials.size()),
                                     lightCount});
}

std::vector<unsigned char> TestScene::Bytes() const {
    ByteWriter w;
    w.U8(static_cast<int>(cameras.size()));
    w.U16(static_cast<int>(positions.size()));
    w.U16(static_cast<int>(faces.size()));
    w.U8(static_cast<int>(objects.size()));
    w.U8(static_cast<int>(textures.size()));
    w.U8(static_cast<int>(materials.size()));
    w.U8(lightCountByte >= 0 ? lightCountByte : static_cast<int>(lights.size()));
    // Cameras and lights are both a name and two vectors.
    auto namedPair = [&w](const std::string& name, const Vector& first, const Vector& second) {
        w.Name(name);
        w.Vec(first);
        w.Vec(second);
    };
    for (const CameraRecord& c : cameras) namedPair(c.name, c.eye, c.target);
    for (const ObjectRecord& o : objects) {
        w.Name(o.name);
        w.U16(o.firstVertex);
        w.U16(o.endVertex);
        w.U16(o.firstFace);
        w.U16(o.endFace);
        w.U8(o.material);
    }
    for (const std::string& t : textures) w.Name(t);
    for (const MaterialRecord& m : materials) {
        w.Name(m.name);
        w.Vec(m.ambient);
        w.Vec(m.diffuse);
        w.Vec(m.specular);
        w.U8(m.texture);
    }
    for (const LightRecord& l : lights) namedPair(l.name, l.position, l.colour);
    for (const Vector& p : positions) w.Vec(p);
    for (size_t i = 0; i < positions.size(); ++i) {
        const std::array<float, 2> uv = i < textureCoordinates.size() ? textureCoordinates[i] : std::array<float, 2>{};
        w.Float(uv[0]);
        w.Float(uv[1]);
    }
    for (const auto& f : faces)
        for (int index : f) w.U16(index);
    for (const TrackRecord& t : tracks) {
        w.U8(t.tag);
        if (t.tag == ObjectTag) w.I16(t.subtype);
        w.I16(t.index);
        w.I16(t.keyCount ? *t.keyCount : static_cast<int>(t.keys.size()));
        for (const Key& k : t.keys) {
            w.I16(k.frame);
            w.Vec(k.value);
        }
    }
    w.U8(EndTag);
    return w.bytes;
}

bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

}  // namespace testscene
