#include "inspection.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "datafile.h"
#include "headlessdevice.h"
#include "jsonwriter.h"
#include "scene.h"
#include "sceneworkfolder.h"
#include "track.h"

namespace {

// A stored 21-byte name field as text: the length byte, cut at 20 and at a zero byte.
std::string FieldName(const char (&field)[NameFieldSize]) {
    size_t length = static_cast<unsigned char>(field[0]);
    if (length > MaxNameLength) length = MaxNameLength;
    std::string name(field + 1, length);
    return name.substr(0, strlen(name.c_str()));
}

std::string Text(const Vector& v) {
    char text[96];
    snprintf(text, sizeof text, "(%g, %g, %g)", static_cast<double>(v.x), static_cast<double>(v.y),
             static_cast<double>(v.z));
    return text;
}

void Vec(JsonWriter& json, const Vector& v) {
    const double parts[3] = {v.x, v.y, v.z};
    json.Numbers(parts, 3);
}

Vector FromD3D(const D3DVECTOR& v) { return Vector(v.x, v.y, v.z); }
Vector Colour(const D3DCOLORVALUE& c) { return Vector(c.r, c.g, c.b); }

// A scene loaded through the show's loader on a headless device, with the file's own parse
// beside it for what the scene does not keep (the track list).
struct LoadedScene {
    SceneWorkFolder folder;
    RenderDevice renderDevice;
    std::unique_ptr<Scene> scene{new Scene()};
    std::unique_ptr<LightSet> lights{new LightSet()};
    SceneFile file;

    int Load(const std::string& path, const LoadOptions& options) {
        memset(&renderDevice, 0, sizeof renderDevice);
        if (!folder.Enter(path)) return 0;
        std::vector<unsigned char> bytes;
        std::string problem;
        const std::string relative = "scenes/" + folder.FileName();
        if (!ReadDataFile(relative.c_str(), bytes, problem)) {
            fprintf(stderr, "%s: cannot read: %s\n", ShownFileName(path).c_str(), problem.c_str());
            return 0;
        }
        ParseSceneFile(bytes.data(), bytes.size(), options.frameScale, options.flatMesh, file);
        if (!OpenHeadlessDevice(renderDevice)) return 0;
        return scene->Load(folder.FileName().c_str(), *lights, renderDevice, options.frameScale, options.flatMesh);
    }

    ~LoadedScene() {
        scene->Free();
        for (char*& name : lights->lightNames) delete[] name;
        CloseHeadlessDevice(renderDevice);
    }
};

void PrintText(const std::string& path, const LoadOptions& options, const LoadedScene& loaded) {
    const Scene& s = *loaded.scene;
    const LightSet& l = *loaded.lights;
    printf("%s (frame scale %g, %s)\n", ShownFileName(path).c_str(), static_cast<double>(options.frameScale),
           options.flatMesh ? "flat" : "indexed");
    printf("counts: cameras %d, vertices %d, faces %d, objects %d, textures %d, materials %d, lights %d\n",
           l.cameraCount, s.vertexCount, s.faceCount, s.objectCount, s.textureCount, s.materialCount, l.lightCount);
    for (int i = 0; i < l.cameraCount; ++i)
        printf("camera %d \"%s\": eye %s target %s\n", i, ShownFileName(FieldName(l.cameras[i].name)).c_str(),
               Text(l.cameras[i].eye).c_str(), Text(l.cameras[i].target).c_str());
    for (int i = 0; i < s.objectCount; ++i) {
        const SceneObject& o = s.objects[i];
        const ObjectBounds& b = s.bounds[i];
        printf("object %d \"%s\": vertices %d..%d, faces %d..%d, material %d, bounds min %s max %s centre %s\n", i,
               ShownFileName(FieldName(o.name)).c_str(), o.firstVertex, o.endVertex, o.firstFace, o.endFace, o.material,
               Text(b.minimum).c_str(), Text(b.maximum).c_str(), Text(b.centre).c_str());
    }
    for (int i = 0; i < s.textureCount; ++i) {
        if (s.textures[i])
            printf("texture %d \"%s\": loaded, %ux%u\n", i, ShownFileName(s.textureNames[i]).c_str(), s.images[i].width,
                   s.images[i].height);
        else
            printf("texture %d \"%s\": not loaded\n", i, ShownFileName(s.textureNames[i]).c_str());
    }
    for (int i = 0; i < s.materialCount; ++i) {
        const MaterialEntry& m = s.materials[i];
        printf("material %d \"%s\": ambient %s diffuse %s specular %s texture %d\n", i,
               ShownFileName(FieldName(m.name)).c_str(), Text(m.ambient).c_str(), Text(m.diffuse).c_str(),
               Text(m.specular).c_str(), m.texture);
    }
    for (int i = 0; i < l.lightCount; ++i) {
        char slot[16] = "-";
        if (l.kinds[i] != 'F') snprintf(slot, sizeof slot, "%d", l.lightToSlot[i]);
        printf("light %d \"%s\": kind %c, slot %s, position %s, colour %s\n", i, ShownFileName(l.lightNames[i]).c_str(),
               l.kinds[i], slot, Text(FromD3D(l.lights[i].dvPosition)).c_str(),
               Text(Colour(l.lights[i].dcvDiffuse)).c_str());
    }
    for (const SceneFileTrack& t : loaded.file.tracks) {
        printf("track %s %d: %d keys", TrackKindName(t.kind), t.index, t.keyCount);
        if (!t.frames.empty()) printf(", frames %d..%d", t.frames.front(), t.frames.back());
        printf("%s\n", t.usable ? "" : " (left out)");
    }
    printf("frame count: %d\n", s.frameCount);
}

void PrintJson(const LoadedScene& loaded) {
    const Scene& s = *loaded.scene;
    const LightSet& l = *loaded.lights;
    std::string text;
    JsonWriter json(text, JsonLayout::Indented);
    json.BeginObject();
    json.Key("counts");
    json.BeginObject();
    const std::pair<const char*, int> counts[] = {
        {"cameras", l.cameraCount},   {"vertices", s.vertexCount},   {"faces", s.faceCount},
        {"objects", s.objectCount},   {"textures", s.textureCount},  {"materials", s.materialCount},
        {"lights", l.lightCount},
    };
    for (const auto& count : counts) {
        json.Key(count.first);
        json.Number(count.second);
    }
    json.EndObject();

    json.Key("cameras");
    json.BeginArray();
    for (int i = 0; i < l.cameraCount; ++i) {
        json.BeginObject();
        json.Key("name"), json.String(FieldName(l.cameras[i].name));
        json.Key("eye"), Vec(json, l.cameras[i].eye);
        json.Key("target"), Vec(json, l.cameras[i].target);
        json.EndObject();
    }
    json.EndArray();

    json.Key("objects");
    json.BeginArray();
    for (int i = 0; i < s.objectCount; ++i) {
        const SceneObject& o = s.objects[i];
        json.BeginObject();
        json.Key("name"), json.String(FieldName(o.name));
        json.Key("firstVertex"), json.Number(o.firstVertex);
        json.Key("endVertex"), json.Number(o.endVertex);
        json.Key("firstFace"), json.Number(o.firstFace);
        json.Key("endFace"), json.Number(o.endFace);
        json.Key("material"), json.Number(o.material);
        json.Key("boundsMin"), Vec(json, s.bounds[i].minimum);
        json.Key("boundsMax"), Vec(json, s.bounds[i].maximum);
        json.Key("boundsCentre"), Vec(json, s.bounds[i].centre);
        json.EndObject();
    }
    json.EndArray();

    json.Key("textures");
    json.BeginArray();
    for (int i = 0; i < s.textureCount; ++i) {
        json.BeginObject();
        json.Key("name"), json.String(s.textureNames[i]);
        json.Key("loaded"), json.Bool(s.textures[i] != nullptr);
        json.EndObject();
    }
    json.EndArray();

    json.Key("materials");
    json.BeginArray();
    for (int i = 0; i < s.materialCount; ++i) {
        const MaterialEntry& m = s.materials[i];
        json.BeginObject();
        json.Key("name"), json.String(FieldName(m.name));
        json.Key("ambient"), Vec(json, m.ambient);
        json.Key("diffuse"), Vec(json, m.diffuse);
        json.Key("specular"), Vec(json, m.specular);
        json.Key("texture"), json.Number(m.texture);
        json.EndObject();
    }
    json.EndArray();

    json.Key("lights");
    json.BeginArray();
    for (int i = 0; i < l.lightCount; ++i) {
        json.BeginObject();
        json.Key("index"), json.Number(i);
        json.Key("name"), json.String(l.lightNames[i]);
        json.Key("kind"), json.String(std::string(1, l.kinds[i]));
        json.Key("slot");
        if (l.kinds[i] == 'F')
            json.Null();
        else
            json.Number(l.lightToSlot[i]);
        json.Key("position"), Vec(json, FromD3D(l.lights[i].dvPosition));
        json.Key("colour"), Vec(json, Colour(l.lights[i].dcvDiffuse));
        json.EndObject();
    }
    json.EndArray();

    json.Key("tracks");
    json.BeginArray();
    for (const SceneFileTrack& t : loaded.file.tracks) {
        json.BeginObject();
        json.Key("kind"), json.String(TrackKindName(t.kind));
        json.Key("index"), json.Number(t.index);
        json.Key("keys"), json.Number(t.keyCount);
        json.Key("firstFrame");
        t.frames.empty() ? json.Null() : json.Number(t.frames.front());
        json.Key("lastFrame");
        t.frames.empty() ? json.Null() : json.Number(t.frames.back());
        json.Key("used"), json.Bool(t.usable);
        json.EndObject();
    }
    json.EndArray();

    json.Key("frameCount"), json.Number(s.frameCount);
    json.EndObject();
    fputs(text.c_str(), stdout);
}

}  // namespace

int InfoCommand(const std::string& path, const LoadOptions& options, bool json) {
    LoadedScene loaded;
    if (!loaded.Load(path, options)) return 1;
    if (json)
        PrintJson(loaded);
    else
        PrintText(path, options, loaded);
    return 0;
}

int SampleCommand(const std::string& path, TrackKind kind, int index, unsigned long frame, const LoadOptions& options) {
    LoadedScene loaded;
    if (!loaded.Load(path, options)) return 1;
    const Scene& s = *loaded.scene;
    const Vector* samples = nullptr;
    DWORD length = 0;
    switch (kind) {
        case EyeTrack: samples = s.eyeSamples[index], length = s.eyeSampleLengths[index]; break;
        case TargetTrack: samples = s.targetSamples[index], length = s.targetSampleLengths[index]; break;
        case PositionTrack: samples = s.positionSamples[index], length = s.positionSampleLengths[index]; break;
        case ScaleTrack: samples = s.scaleSamples[index], length = s.scaleSampleLengths[index]; break;
        case LightTrack: samples = s.lightSamples[index], length = s.lightSampleLengths[index]; break;
    }
    if (!samples) {
        fprintf(stderr, "%s: no %s track %d\n", ShownFileName(path).c_str(), TrackKindName(kind), index);
        return 1;
    }
    const DWORD asked = frame > 0xFFFFFFFFul ? 0xFFFFFFFFu : static_cast<DWORD>(frame);
    if (asked >= length)
        fprintf(stderr, "%s: frame %lu is past the track's %u samples; the last one is held\n",
                ShownFileName(path).c_str(), frame, length);
    const Vector& value = SampleAt(samples, length, asked);
    printf("%.9g %.9g %.9g\n", static_cast<double>(value.x), static_cast<double>(value.y),
           static_cast<double>(value.z));
    return 0;
}

int ValidateCommand(const std::vector<std::string>& paths, const LoadOptions& options) {
    int invalid = 0;
    for (const std::string& path : paths) {
        const std::string shownPath = ShownFileName(path);
        std::vector<unsigned char> bytes;
        std::string problem;
        if (!ReadDataFile(path.c_str(), bytes, problem)) {
            printf("%s: cannot read: %s\n", shownPath.c_str(), problem.c_str());
            ++invalid;
            continue;
        }
        SceneFile file;
        ParseSceneFile(bytes.data(), bytes.size(), options.frameScale, options.flatMesh, file);
        for (const SceneFileProblem& report : file.problems)
            printf("%s: offset %zu: %s: %s\n", shownPath.c_str(), report.offset, report.fatal ? "error" : "warning",
                   ShownFileName(report.message).c_str());
        if (!file.problems.empty()) {
            ++invalid;
        } else {
            printf("%s: valid\n", shownPath.c_str());
        }
        // Images the show would not find leave their textures empty; worth knowing, not a fault of the file.
        std::error_code error;
        const std::filesystem::path images = std::filesystem::absolute(path, error).parent_path().parent_path() / "gfx";
        for (size_t i = 0; i < file.textureNames.size(); ++i) {
            const std::string& name = file.textureNames[i];
            const size_t offset = SceneSections(file.Counts()).textures + i * TextureRecordSize;
            if (!IsPlainFileName(name.c_str())) {
                printf("%s: offset %zu: note: texture \"%s\" is not a file name inside gfx; the show leaves it out\n",
                       shownPath.c_str(), offset, ShownFileName(name).c_str());
                continue;
            }
            const std::string image = (images / name).string();
            if (FILE* opened = OpenDataFile(image.c_str(), problem))
                fclose(opened);
            else
                printf("%s: offset %zu: note: texture \"%s\" cannot be opened in %s: %s\n", shownPath.c_str(), offset,
                       ShownFileName(name).c_str(), ShownFileName(images.string()).c_str(), problem.c_str());
        }
    }
    return invalid ? 1 : 0;
}
