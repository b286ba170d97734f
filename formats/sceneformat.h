// The .3d scene file layout: a 9-byte header of counts, fixed-width little-endian records with no
// gaps between them, then animation tracks, each opened by a one-byte tag, up to a tag 0.
// The show's loader, the baker and the tests read and write files through this one definition.
// Plain C++ with nothing but the standard library, so the show's code can use it anywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// A name field: a length byte (0..20), then 20 character bytes of which that many are the name;
// the rest is filler.
constexpr int NameFieldSize = 21;
constexpr int MaxNameLength = NameFieldSize - 1;

// The most a loadable file holds: the loader's tables, and what the header's counts can say (the
// light count is a signed byte: 128 and more read negative and mean no light records).
constexpr int MaxCameras = 10;
constexpr int MaxTextures = 20;
constexpr int MaxMaterials = 20;
constexpr int MaxFileObjects = 255;
constexpr int MaxFileLights = 127;
constexpr int MaxFileVertices = 65535;  // and faces

// The header: camera count (u8), vertex count (u16), face count (u16), object, texture and
// material counts (u8 each), light count (s8).
constexpr int CameraCountAt = 0;
constexpr int VertexCountAt = 1;
constexpr int FaceCountAt = 3;
constexpr int ObjectCountAt = 5;
constexpr int TextureCountAt = 6;
constexpr int MaterialCountAt = 7;
constexpr int LightCountAt = 8;
constexpr int SceneHeaderSize = 9;

// Camera: name, eye, target (3 floats each).
constexpr int CameraRecordSize = 45;
// Object: name, first and end vertex, first and end face (u16 each, ends exclusive), material (s8).
constexpr int ObjectVerticesAt = NameFieldSize;
constexpr int ObjectFacesAt = ObjectVerticesAt + 4;
constexpr int ObjectMaterialAt = ObjectFacesAt + 4;
constexpr int ObjectRecordSize = 30;
// Texture: one name field holding the image file name.
constexpr int TextureRecordSize = NameFieldSize;
// Material: name, ambient, diffuse, specular (3 floats each), texture index (s8, negative: none).
constexpr int MaterialTextureAt = NameFieldSize + 36;
constexpr int MaterialRecordSize = 58;
// Light: name, position, colour (3 floats each).
constexpr int LightRecordSize = 45;
// Then every vertex position (3 floats), every texture coordinate pair (u, v), every face (three
// u16 vertex indices).
constexpr int PositionRecordSize = 12;
constexpr int TextureCoordinateRecordSize = 8;
constexpr int FaceRecordSize = 6;
static_assert(CameraRecordSize == NameFieldSize + 24 && LightRecordSize == NameFieldSize + 24,
              "cameras and lights are a name and two vectors");
static_assert(ObjectRecordSize == ObjectMaterialAt + 1 && MaterialRecordSize == MaterialTextureAt + 1,
              "objects and materials end with a one-byte index");

// Track tags. Eye, target and light tracks carry an index (s16) and a key count (s16); an object
// track has a subtype (s16) before them. Any other tag is a byte of its own.
enum TrackTag : uint8_t {
    EndTag = 0,
    ObjectTag = 1,
    TargetTag = 2,
    EyeTag = 3,
    LightTag = 4,
};
// Only these object subtypes have keys after their count; any other stops after the count.
enum ObjectTrackSubtype : int16_t {
    PositionSubtype = 1,
    ScaleSubtype = 3,
};
// A key: frame (s16, before the file's frame scale), value (3 floats).
constexpr int KeyRecordSize = 14;

// The header's counts, from which every section's place follows.
struct SceneCounts {
    int cameras, vertices, faces, objects, textures, materials;
    int lights;  // as the signed byte reads: negative means no light records
};

// Where each section of a file with these counts starts.
struct SceneSections {
    size_t cameras, objects, textures, materials, lights, positions, textureCoordinates, faces, tracks;

    explicit SceneSections(const SceneCounts& counts) {
        const size_t lightCount = counts.lights > 0 ? static_cast<size_t>(counts.lights) : 0;
        cameras = SceneHeaderSize;
        objects = cameras + static_cast<size_t>(counts.cameras) * CameraRecordSize;
        textures = objects + static_cast<size_t>(counts.objects) * ObjectRecordSize;
        materials = textures + static_cast<size_t>(counts.textures) * TextureRecordSize;
        lights = materials + static_cast<size_t>(counts.materials) * MaterialRecordSize;
        positions = lights + lightCount * LightRecordSize;
        textureCoordinates = positions + static_cast<size_t>(counts.vertices) * PositionRecordSize;
        faces = textureCoordinates + static_cast<size_t>(counts.vertices) * TextureCoordinateRecordSize;
        tracks = faces + static_cast<size_t>(counts.faces) * FaceRecordSize;
    }
};

// Bounded little-endian reading from memory; a read past the end fails (0) and moves nothing.
struct ByteReader {
    const unsigned char* data;
    size_t size;
    size_t offset;

    int Bytes(void* destination, size_t count) {
        if (count > size - offset) return 0;
        memcpy(destination, data + offset, count);
        offset += count;
        return 1;
    }
    int U8(uint8_t& value) { return Bytes(&value, 1); }
    int I8(int8_t& value) { return Bytes(&value, 1); }
    int U16(uint16_t& value) {
        unsigned char b[2];
        if (!Bytes(b, 2)) return 0;
        value = static_cast<uint16_t>(b[0] | (b[1] << 8));
        return 1;
    }
    int I16(int16_t& value) {
        uint16_t bits;
        if (!U16(bits)) return 0;
        value = static_cast<int16_t>(bits);
        return 1;
    }
    int Float(float& value) {
        unsigned char b[4];
        if (!Bytes(b, 4)) return 0;
        const uint32_t bits = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                              (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
        memcpy(&value, &bits, 4);
        return 1;
    }
    // Any vector type with float fields x, y and z.
    template <typename V>
    int Vec(V& value) {
        return Float(value.x) && Float(value.y) && Float(value.z);
    }
};

// Little-endian fields appended to a byte sequence, as ByteReader reads them back.
struct ByteWriter {
    std::vector<unsigned char> bytes;

    void U8(int value) { bytes.push_back(static_cast<unsigned char>(value)); }
    void U16(int value) {
        U8(value & 0xFF);
        U8((value >> 8) & 0xFF);
    }
    void I16(int value) { U16(static_cast<uint16_t>(static_cast<int16_t>(value))); }
    void Float(float value) {
        uint32_t bits;
        memcpy(&bits, &value, 4);
        for (int i = 0; i < 4; ++i) U8(static_cast<int>((bits >> (8 * i)) & 0xFF));
    }
    template <typename V>
    void Vec(const V& value) {
        Float(value.x);
        Float(value.y);
        Float(value.z);
    }
    // The length byte, then the first 20 characters padded with zeros. A longer name still writes
    // its own length, which makes a file the loader cuts or refuses.
    void Name(const std::string& name) {
        U8(static_cast<int>(name.size()));
        for (size_t i = 0; i < static_cast<size_t>(MaxNameLength); ++i) U8(i < name.size() ? name[i] : 0);
    }
};
