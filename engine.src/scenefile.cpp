#include "scenefile.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>

SceneCounts SceneFile::Counts() const {
    return SceneCounts{cameraCount, vertexCount, faceCount, objectCount, textureCount, materialCount, lightCount};
}

bool SceneFile::HasFatalProblem() const { return FirstFatalProblem() != nullptr; }

const SceneFileProblem* SceneFile::FirstFatalProblem() const {
    for (const SceneFileProblem& problem : problems)
        if (problem.fatal) return &problem;
    return nullptr;
}

int ReadName(ByteReader& reader, std::string& name, int* clamped) {
    unsigned char field[NameFieldSize];
    if (!reader.Bytes(field, sizeof field)) return 0;
    int length = field[0];
    if (clamped) *clamped = length > MaxNameLength;
    if (length > MaxNameLength) length = MaxNameLength;
    name.assign(reinterpret_cast<const char*>(field + 1), static_cast<size_t>(length));
    // Characters past a zero byte cannot reach a C string; keep what a C string would hold.
    name.resize(strlen(name.c_str()));
    return 1;
}

const char* TrackKindName(TrackKind kind) {
    switch (kind) {
        case EyeTrack: return "eye";
        case TargetTrack: return "target";
        case PositionTrack: return "position";
        case ScaleTrack: return "scale";
        case LightTrack: return "light";
    }
    return "?";
}

namespace {

constexpr int ListedProblemsOfAKind = 5;

struct Parser {
    ByteReader reader;
    SceneFile& file;
    float frameScale;
    int flatMesh;

    // Problems of one kind past the first few, keyed by their format: only counted, so a file
    // with thousands of bad records still gives a readable report.
    struct Unlisted {
        size_t firstOffset;
        bool fatal;
        int count;
    };
    std::map<const char*, int> listedOfKind{};
    std::map<const char*, Unlisted> unlisted{};

    void Report(size_t offset, bool fatal, const char* format, ...) __attribute__((format(printf, 4, 5))) {
        if (listedOfKind[format]++ >= ListedProblemsOfAKind) {
            auto [entry, added] = unlisted.try_emplace(format, Unlisted{offset, fatal, 0});
            entry->second.fatal |= fatal;
            ++entry->second.count;
            return;
        }
        char text[256];
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(text, sizeof text, format, arguments);
        va_end(arguments);
        file.problems.push_back(SceneFileProblem{offset, fatal, text});
    }

    void ReportUnlisted() {
        for (const auto& [format, entry] : unlisted) {
            char text[96];
            snprintf(text, sizeof text, "%d more problems like the %d above are not listed", entry.count,
                     ListedProblemsOfAKind);
            file.problems.push_back(SceneFileProblem{entry.firstOffset, entry.fatal, text});
        }
    }

    // Every truncation ends the parse: nothing after it can be placed.
    int Truncated(const char* what) {
        Report(reader.size, true, "the file ends inside %s", what);
        return 0;
    }

    int Name(char (&field)[NameFieldSize], const char* what) {
        const size_t at = reader.offset;
        if (!reader.Bytes(field, NameFieldSize)) return Truncated(what);
        if (static_cast<unsigned char>(field[0]) > MaxNameLength) {
            Report(at, false, "%s: name length %d is past %d and is cut", what, static_cast<unsigned char>(field[0]),
                   MaxNameLength);
            field[0] = MaxNameLength;
        }
        return 1;
    }

    int Name(std::string& name, const char* what) {
        const size_t at = reader.offset;
        int clamped = 0;
        if (!ReadName(reader, name, &clamped)) return Truncated(what);
        if (clamped) Report(at, false, "%s: name length is past %d and is cut", what, MaxNameLength);
        return 1;
    }

    int Header();
    int Cameras();
    int Objects();
    int Textures();
    int Materials();
    int Lights();
    int Geometry();
    int Tracks();
    int Track(size_t at, uint8_t tag);
    void CheckObjects();
};

int Parser::Header() {
    uint8_t lightByte = 0;
    if (!(reader.U8(file.cameraCount) && reader.U16(file.vertexCount) && reader.U16(file.faceCount) &&
          reader.U8(file.objectCount) && reader.U8(file.textureCount) && reader.U8(file.materialCount) &&
          reader.U8(lightByte)))
        return Truncated("the header");
    file.lightCount = static_cast<int8_t>(lightByte);
    if (file.cameraCount > MaxCameras)
        Report(CameraCountAt, true, "%d cameras, more than %d", file.cameraCount, MaxCameras);
    if (file.textureCount > MaxTextures)
        Report(TextureCountAt, true, "%d textures, more than %d", file.textureCount, MaxTextures);
    if (file.materialCount > MaxMaterials)
        Report(MaterialCountAt, true, "%d materials, more than %d", file.materialCount, MaxMaterials);
    return 1;
}

int Parser::Cameras() {
    char what[32];
    for (int i = 0; i < file.cameraCount; ++i) {
        snprintf(what, sizeof what, "camera %d", i);
        Camera camera;
        if (!Name(camera.name, what)) return 0;
        if (!(reader.Vec(camera.eye) && reader.Vec(camera.target))) return Truncated(what);
        file.cameras.push_back(camera);
    }
    return 1;
}

int Parser::Objects() {
    char what[32];
    for (int i = 0; i < file.objectCount; ++i) {
        snprintf(what, sizeof what, "object %d", i);
        SceneObject object;
        if (!Name(object.name, what)) return 0;
        if (!(reader.U16(object.firstVertex) && reader.U16(object.endVertex) && reader.U16(object.firstFace) &&
              reader.U16(object.endFace) && reader.I8(object.material)))
            return Truncated(what);
        file.objects.push_back(object);
    }
    return 1;
}

int Parser::Textures() {
    char what[32];
    for (int i = 0; i < file.textureCount; ++i) {
        snprintf(what, sizeof what, "texture %d", i);
        std::string name;
        if (!Name(name, what)) return 0;
        file.textureNames.push_back(name);
    }
    return 1;
}

int Parser::Materials() {
    char what[32];
    for (int i = 0; i < file.materialCount; ++i) {
        snprintf(what, sizeof what, "material %d", i);
        MaterialEntry material;
        const size_t textureAt = reader.offset + MaterialTextureAt;
        if (!Name(material.name, what)) return 0;
        if (!(reader.Vec(material.ambient) && reader.Vec(material.diffuse) && reader.Vec(material.specular) &&
              reader.I8(material.texture)))
            return Truncated(what);
        // The slot past the file's textures is empty, so the material draws untextured.
        if (material.texture >= file.textureCount)
            Report(textureAt, false, "material %d uses texture %d, past the %d textures; it is drawn untextured", i,
                   material.texture, file.textureCount);
        file.materials.push_back(material);
    }
    return 1;
}

int Parser::Lights() {
    char what[32];
    for (int i = 0; i < file.lightCount; ++i) {
        snprintf(what, sizeof what, "light %d", i);
        SceneFileLight light;
        light.offset = reader.offset;
        if (!Name(light.name, what)) return 0;
        if (!(reader.Vec(light.position) && reader.Vec(light.colour))) return Truncated(what);
        file.lights.push_back(light);
    }
    return 1;
}

int Parser::Geometry() {
    const size_t vertexCount = file.vertexCount;
    file.positions.resize(vertexCount);
    for (Vector& position : file.positions)
        if (!reader.Vec(position)) return Truncated("the vertex positions");
    file.textureCoordinates.resize(vertexCount * 2);
    for (float& coordinate : file.textureCoordinates)
        if (!reader.Float(coordinate)) return Truncated("the texture coordinates");
    file.faces.resize(file.faceCount);
    for (size_t i = 0; i < file.faces.size(); ++i) {
        const size_t at = reader.offset;
        for (uint32_t& index : file.faces[i].index) {
            uint16_t value;
            if (!reader.U16(value)) return Truncated("the faces");
            index = value;
        }
        for (uint32_t index : file.faces[i].index)
            if (index >= vertexCount) {
                Report(at, true, "face %zu uses vertex %u, past the %zu vertices", i, index, vertexCount);
                break;
            }
    }
    return 1;
}

// Ranges are checked once the vertex and face counts are known to be backed by data.
void Parser::CheckObjects() {
    uint16_t nextFace = 0;
    for (size_t i = 0; i < file.objects.size(); ++i) {
        SceneObject& object = file.objects[i];
        const size_t at = SceneSections(file.Counts()).objects + i * ObjectRecordSize;
        bool rangesFit = true;
        if (object.firstVertex > object.endVertex || object.endVertex > file.vertexCount) {
            Report(at + ObjectVerticesAt, true, "object %zu: vertices %u..%u do not fit the %u vertices", i,
                   object.firstVertex, object.endVertex, file.vertexCount);
            rangesFit = false;
        }
        if (object.firstFace > object.endFace || object.endFace > file.faceCount) {
            Report(at + ObjectFacesAt, true, "object %zu: faces %u..%u do not fit the %u faces", i,
                   object.firstFace, object.endFace, file.faceCount);
            rangesFit = false;
        }
        if (object.material < 0 || object.material >= file.materialCount) {
            const int8_t clamped =
                static_cast<int8_t>(object.material < 0 || file.materialCount == 0 ? 0 : file.materialCount - 1);
            Report(at + ObjectMaterialAt, false, "object %zu uses material %d, outside the %d materials; it uses material %d",
                   i, object.material, file.materialCount, clamped);
            object.material = clamped;
        }
        if (flatMesh && object.firstFace != nextFace)
            Report(at + ObjectFacesAt, true,
                   "object %zu: faces start at %u, not at %u where the previous object ends (a flat load needs "
                   "them in order)",
                   i, object.firstFace, nextFace);
        nextFace = object.endFace;
        if (flatMesh || !rangesFit) continue;
        // Indexed drawing addresses vertices relative to the object's first vertex.
        for (uint32_t f = object.firstFace; f < object.endFace; ++f) {
            for (uint32_t index : file.faces[f].index)
                if (index < object.firstVertex || index >= object.endVertex) {
                    Report(at + ObjectFacesAt, true, "object %zu: face %u uses vertex %u, outside its vertices %u..%u",
                           i, f, index, object.firstVertex, object.endVertex);
                    f = object.endFace;
                    break;
                }
        }
    }
}

int Parser::Tracks() {
    for (;;) {
        const size_t at = reader.offset;
        uint8_t tag;
        if (!reader.U8(tag)) return Truncated("the track list (no end tag)");
        if (tag == EndTag) return 1;
        // Any other tag is a single byte of its own.
        if (tag > LightTag) continue;
        if (!Track(at, tag)) return 0;
    }
}

int Parser::Track(size_t at, uint8_t tag) {
    int16_t subtype = 0, index = 0, keyCount = 0;
    if (tag == ObjectTag && !reader.I16(subtype)) return Truncated("a track record");
    const size_t indexAt = reader.offset;
    if (!(reader.I16(index) && reader.I16(keyCount))) return Truncated("a track record");
    if (tag == ObjectTag && subtype != PositionSubtype && subtype != ScaleSubtype) return 1;

    SceneFileTrack track;
    track.offset = at;
    track.kind = tag == EyeTag      ? EyeTrack
                 : tag == TargetTag ? TargetTrack
                 : tag == LightTag  ? LightTrack
                 : subtype == PositionSubtype ? PositionTrack
                                              : ScaleTrack;
    track.index = index;
    track.keyCount = keyCount;
    track.usable = true;
    const char* kind = TrackKindName(track.kind);

    const int capacity = tag == LightTag ? MaxLights : (tag == ObjectTag ? MaxObjects : MaxCameras);
    if (index < 0 || index >= capacity) {
        Report(indexAt, false, "%s track for index %d, outside 0..%d; the track is left out", kind, index, capacity - 1);
        track.usable = false;
    }
    if (keyCount < 0) {
        Report(indexAt + 2, true, "%s track %d has a negative key count %d", kind, index, keyCount);
        return 0;
    }

    bool overflow = false;
    for (int k = 0; k < keyCount; ++k) {
        const size_t keyAt = reader.offset;
        int16_t frame;
        Vector value;
        if (!(reader.I16(frame) && reader.Vec(value))) return Truncated("a track's keys");
        const float scaled = static_cast<float>(frame) * frameScale;
        if (!(scaled > -32769.0f && scaled < 32768.0f)) {
            if (!overflow && track.usable)
                Report(keyAt, false, "%s track %d: frame %d times %g does not fit 16 bits; the key is left out", kind,
                       index, frame, static_cast<double>(frameScale));
            overflow = true;
            continue;
        }
        track.frames.push_back(static_cast<int16_t>(scaled));
        track.values.push_back(value);
    }

    // Sampling needs keys from frame 0 in increasing order; anything else is left out.
    const size_t kept = track.frames.size();
    if (track.usable && kept == 0) {
        Report(at, false, "%s track %d has no key and is left out", kind, index);
        track.usable = false;
    } else if (track.usable && track.frames[0] != 0) {
        Report(at, false, "%s track %d starts at frame %d, not 0, and is left out", kind, index, track.frames[0]);
        track.usable = false;
    }
    for (size_t k = 1; track.usable && k < kept; ++k)
        if (track.frames[k] <= track.frames[k - 1]) {
            Report(at, false, "%s track %d: key %zu at frame %d does not come after frame %d; the track is left out",
                   kind, index, k, track.frames[k], track.frames[k - 1]);
            track.usable = false;
        }
    if (track.usable && kept == 1) Report(at, false, "%s track %d has a single key; its value is held", kind, index);
    if (track.usable && track.frames.back() > file.frameCount) file.frameCount = track.frames.back();
    file.tracks.push_back(std::move(track));
    return 1;
}

}  // namespace

int ParseSceneFile(const unsigned char* bytes, size_t size, float frameScale, int flatMesh, SceneFile& file) {
    file = SceneFile();
    Parser parser{ByteReader{bytes, size, 0}, file, frameScale, flatMesh};
    if (parser.Header() && parser.Cameras() && parser.Objects() && parser.Textures() && parser.Materials() &&
        parser.Lights() && parser.Geometry()) {
        parser.CheckObjects();
        parser.Tracks();
    }
    parser.ReportUnlisted();
    return !file.HasFatalProblem();
}
