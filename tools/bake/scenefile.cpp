#include "scenefile.h"

#include <algorithm>
#include <cmath>

#include "output.h"
#include "sceneformat.h"

namespace bake {

namespace {

void CheckName(const std::string& scene, const std::string& name) {
    if (name.size() > size_t(MaxNameLength))
        throw BakeError(scene + ": name \"" + name + "\" is longer than " + std::to_string(MaxNameLength) +
                        " characters");
}

}  // namespace

int SceneFile::AddCamera(const std::string& name, V3 eye, V3 target) {
    CheckName(fileName, name);
    cameras.push_back({name, eye, target});
    return int(cameras.size() - 1);
}

int SceneFile::AddTexture(const std::string& imageName) {
    CheckName(fileName, imageName);
    for (size_t i = 0; i < textures.size(); ++i)
        if (textures[i] == imageName) return int(i);
    textures.push_back(imageName);
    return int(textures.size() - 1);
}

int SceneFile::AddMaterial(const std::string& name, V3 diffuse, int texture, V3 ambient, V3 specular) {
    CheckName(fileName, name);
    materials.push_back({name, ambient, diffuse, specular, int8_t(texture)});
    return int(materials.size() - 1);
}

int SceneFile::AddObject(const std::string& name, const Mesh& mesh, int material) {
    CheckName(fileName, name);
    if (mesh.faces.empty()) throw BakeError(fileName + ": object " + name + " has no faces");
    size_t firstVertex = positions.size(), firstFace = faces.size();
    if (firstVertex + mesh.positions.size() > MaxFileVertices || firstFace + mesh.faces.size() > MaxFileVertices)
        throw BakeError(fileName + ": more than " + std::to_string(MaxFileVertices) + " vertices or faces at object " +
                        name);
    positions.insert(positions.end(), mesh.positions.begin(), mesh.positions.end());
    uvs.insert(uvs.end(), mesh.uvs.begin(), mesh.uvs.end());
    for (auto f : mesh.faces)
        faces.push_back({uint16_t(f[0] + firstVertex), uint16_t(f[1] + firstVertex), uint16_t(f[2] + firstVertex)});
    objects.push_back({name, uint16_t(firstVertex), uint16_t(positions.size()), uint16_t(firstFace),
                       uint16_t(faces.size()), int8_t(material)});
    return int(objects.size() - 1);
}

int SceneFile::AddLight(const std::string& name, V3 position, V3 colour) {
    CheckName(fileName, name);
    lights.push_back({name, position, colour});
    return int(lights.size() - 1);
}

int SceneFile::ScaledFrame(int fileFrame) const {
    // The loader multiplies in single precision and truncates toward zero.
    return int(float(fileFrame) * frameScale);
}

void SceneFile::AddTrack(TrackKind kind, int index, const std::vector<Key>& keys) {
    if (keys.size() < 2) throw BakeError(fileName + ": a track needs at least two keys");
    Track track{kind, index, {}};
    int previous = -1;
    for (const Key& key : keys) {
        int fileFrame = int(std::lround(key.frame / frameScale));
        int scaled = ScaledFrame(fileFrame);
        if (track.keys.empty() && scaled != 0) throw BakeError(fileName + ": a track must start at frame 0");
        if (scaled <= previous) throw BakeError(fileName + ": track keys too close after scaling");
        if (fileFrame > 32767 || scaled > 32767) throw BakeError(fileName + ": a track frame does not fit 16 bits");
        previous = scaled;
        track.keys.push_back({int16_t(fileFrame), key.value});
    }
    tracks.push_back(std::move(track));
}

void SceneFile::Bounds(int object, V3& minimum, V3& maximum) const {
    const ObjectRecord& o = objects.at(size_t(object));
    minimum = maximum = positions[o.firstVertex];
    for (int i = o.firstVertex; i < o.endVertex; ++i) {
        V3 p = positions[size_t(i)];
        minimum = {std::min(minimum.x, p.x), std::min(minimum.y, p.y), std::min(minimum.z, p.z)};
        maximum = {std::max(maximum.x, p.x), std::max(maximum.y, p.y), std::max(maximum.z, p.z)};
    }
}

std::vector<uint8_t> SceneFile::Encode() const {
    auto atMost = [this](size_t count, int most, const char* what) {
        if (count > size_t(most)) throw BakeError(fileName + ": more than " + std::to_string(most) + " " + what);
    };
    atMost(cameras.size(), MaxCameras, "cameras");
    atMost(objects.size(), MaxFileObjects, "objects");
    atMost(textures.size(), MaxTextures, "textures");
    atMost(materials.size(), MaxMaterials, "materials");
    atMost(lights.size(), MaxFileLights, "lights");
    if (objects.empty()) throw BakeError(fileName + ": has no object");
    for (const ObjectRecord& o : objects)
        if (o.material < 0 || o.material >= int(materials.size()))
            throw BakeError(fileName + ": object " + o.name + " has no material");
    for (const MaterialRecord& m : materials)
        if (m.texture >= int(textures.size())) throw BakeError(fileName + ": material " + m.name + " names no texture");
    for (const Track& t : tracks) {
        int limit = t.kind == TrackKind::CameraEye || t.kind == TrackKind::CameraTarget ? int(cameras.size())
                    : t.kind == TrackKind::Light                                        ? int(lights.size())
                                                                                        : int(objects.size());
        if (t.index < 0 || t.index >= limit) throw BakeError(fileName + ": a track names a missing item");
    }

    ByteWriter w;
    w.U8(int(cameras.size()));
    w.U16(int(positions.size()));
    w.U16(int(faces.size()));
    w.U8(int(objects.size()));
    w.U8(int(textures.size()));
    w.U8(int(materials.size()));
    w.U8(int(lights.size()));
    for (const CameraRecord& c : cameras) w.Name(c.name), w.Vec(c.eye), w.Vec(c.target);
    for (const ObjectRecord& o : objects) {
        w.Name(o.name);
        w.U16(o.firstVertex), w.U16(o.endVertex), w.U16(o.firstFace), w.U16(o.endFace);
        w.U8(o.material);
    }
    for (const std::string& t : textures) w.Name(t);
    for (const MaterialRecord& m : materials) {
        w.Name(m.name);
        w.Vec(m.ambient), w.Vec(m.diffuse), w.Vec(m.specular);
        w.U8(m.texture);
    }
    for (const LightRecord& l : lights) w.Name(l.name), w.Vec(l.position), w.Vec(l.colour);
    for (V3 p : positions) w.Vec(p);
    for (auto uv : uvs) w.Float(uv[0]), w.Float(uv[1]);
    for (auto f : faces) w.U16(f[0]), w.U16(f[1]), w.U16(f[2]);
    for (const Track& t : tracks) {
        switch (t.kind) {
        case TrackKind::CameraEye: w.U8(EyeTag); break;
        case TrackKind::CameraTarget: w.U8(TargetTag); break;
        case TrackKind::Light: w.U8(LightTag); break;
        case TrackKind::ObjectPosition: w.U8(ObjectTag), w.I16(PositionSubtype); break;
        case TrackKind::ObjectScale: w.U8(ObjectTag), w.I16(ScaleSubtype); break;
        }
        w.I16(t.index);
        w.I16(int(t.keys.size()));
        for (const auto& key : t.keys) w.I16(key.first), w.Vec(key.second);
    }
    w.U8(EndTag);
    return w.bytes;
}

std::vector<Key> KeysAlong(float endFrame, int count, const std::function<V3(float)>& path) {
    std::vector<Key> keys;
    for (int i = 0; i <= count; ++i) {
        float frame = endFrame * i / count;
        keys.push_back({frame, path(frame)});
    }
    return keys;
}

}  // namespace bake
