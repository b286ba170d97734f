#include "ddraw/opengl/programs.h"

#include <cstdio>
#include <string>

namespace opengl {

namespace {

// Direct3D screen positions (pixel centres on integers) snapped to the software device's
// sixteenth of a pixel, then moved half a pixel to GL's centres. Framebuffer rows are Direct3D's
// rows, the top one first, so the rasteriser's own top-left rule is Direct3D's.
const char VertexShader[] = R"(
layout(location = 0) in vec4 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec4 diffuse;
layout(location = 3) in vec2 texCoord;

uniform mat4 worldViewProjection;
uniform mat4 worldView;
uniform mat3 normalMatrix;
uniform vec4 viewportMap;
uniform vec4 screenToClip;
uniform vec3 base;
uniform vec3 materialDiffuse;
uniform vec3 materialAmbient;
uniform int lightCount;
uniform samplerBuffer lights;

noperspective out vec3 colour;
#if PERSPECTIVE
smooth out vec2 uv;
#else
noperspective out vec2 uv;
#endif

vec4 ToClip(vec2 screenTimesW, float depth, float w) {
    if (w > 0.0) screenTimesW = floor(screenTimesW / w * 16.0 + 0.5) / 16.0 * w;
    return vec4(screenTimesW * screenToClip.xy + screenToClip.zw * w, depth, w);
}

vec3 Light(vec3 eye, vec3 n, vec3 surfaceDiffuse) {
    vec3 sum = base;
    for (int i = 0; i < lightCount; ++i) {
        vec4 place = texelFetch(lights, 4 * i);
        vec3 lightDiffuse = texelFetch(lights, 4 * i + 1).rgb;
        vec3 lightAmbient = texelFetch(lights, 4 * i + 2).rgb;
        vec4 falloff = texelFetch(lights, 4 * i + 3);  // attenuation 0, 1, 2 and range
        float attenuation, lambert;
        if (place.w != 0.0) {
            attenuation = 1.0;
            lambert = dot(n, place.xyz);
        } else {
            vec3 toLight = place.xyz - eye;
            float distanceSquared = dot(toLight, toLight);
            float distance = sqrt(distanceSquared);
            if (distance > falloff.w) continue;
            float denominator = falloff.x + falloff.y * distance + falloff.z * distanceSquared;
            attenuation = denominator > 0.0 ? 1.0 / denominator : 0.0;
            lambert = distance > 0.0 ? dot(n, toLight) / distance : 0.0;
        }
        float diffuseFactor = lambert > 0.0 ? lambert * attenuation : 0.0;
        sum += materialAmbient * lightAmbient * attenuation;
        sum += surfaceDiffuse * lightDiffuse * diffuseFactor;
    }
    return clamp(sum, 0.0, 1.0);
}

void main() {
#if TRANSFORMED
    float w = 1.0 / position.w;
    gl_Position = ToClip(position.xy * w, (2.0 * position.z - 1.0) * w, w);
#else
    vec4 clip = worldViewProjection * vec4(position.xyz, 1.0);
    vec2 screenTimesW = viewportMap.xy * clip.w + vec2(clip.w + clip.x, clip.w - clip.y) * viewportMap.zw;
    gl_Position = ToClip(screenTimesW, 2.0 * clip.z - clip.w, clip.w);
#endif

#if LIGHTING
    vec3 eye = (worldView * vec4(position.xyz, 1.0)).xyz;
#if NORMALS
    vec3 n = normalMatrix * normal;
#if NORMALIZE
    float size = length(n);
    n = size > 0.0 ? n / size : vec3(0.0);
#endif
#else
    vec3 n = vec3(0.0);
#endif
#if COLOURVERTEX
    colour = Light(eye, n, diffuse.rgb);
#else
    colour = Light(eye, n, materialDiffuse);
#endif
#elif DIFFUSE
    colour = diffuse.rgb;
#else
    colour = vec3(1.0);
#endif
    uv = texCoord;
}
)";

// Colours in whole levels, modulated as the software device rounds them, alpha left 0.
const char FragmentShader[] = R"(
noperspective in vec3 colour;
#if PERSPECTIVE
smooth in vec2 uv;
#else
noperspective in vec2 uv;
#endif

uniform sampler2D picture;
out vec4 fragment;

void main() {
    vec3 levels = floor(clamp(colour, 0.0, 1.0) * 255.0 + 0.5);
#if TEXTURED
    vec3 texel = floor(texture(picture, uv).rgb * 255.0 + 0.5);
    levels = floor(texel * levels / 255.0 + 0.5);
#endif
    fragment = vec4(levels / 255.0, 0.0);
}
)";

constexpr uint32_t Transformed = 1, Normals = 2, Diffuse = 4, Lighting = 8, ColourVertex = 16, Normalize = 32,
                   Textured = 64, Perspective = 128;
constexpr uint32_t ProgramCount = 256;

struct Slot {
    bool tried;
    bool built;
    Program program;
};
Slot programs[ProgramCount];  // one GL context per process

GLuint Compile(GLenum type, const std::string& defines, const char* body) {
    GLuint shader = glCreateShader(type);
    const std::string source = "#version 330 core\n" + defines + body;
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled) return shader;
    char log[1024] = "";
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "OpenGL device: a shader does not compile: %s\n", log);
    glDeleteShader(shader);
    return 0;
}

std::string Defines(uint32_t code) {
    std::string defines;
    const std::pair<uint32_t, const char*> names[] = {
        {Transformed, "TRANSFORMED"}, {Normals, "NORMALS"},   {Diffuse, "DIFFUSE"},   {Lighting, "LIGHTING"},
        {ColourVertex, "COLOURVERTEX"}, {Normalize, "NORMALIZE"}, {Textured, "TEXTURED"}, {Perspective, "PERSPECTIVE"}};
    for (const auto& [bit, name] : names) defines += std::string("#define ") + name + ((code & bit) ? " 1\n" : " 0\n");
    return defines;
}

bool Build(uint32_t code, Program* program) {
    const std::string defines = Defines(code);
    GLuint vertex = Compile(GL_VERTEX_SHADER, defines, VertexShader);
    GLuint fragment = Compile(GL_FRAGMENT_SHADER, defines, FragmentShader);
    if (!vertex || !fragment) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }
    GLuint name = glCreateProgram();
    glAttachShader(name, vertex);
    glAttachShader(name, fragment);
    glLinkProgram(name);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(name, GL_LINK_STATUS, &linked);
    if (!linked) {
        char log[1024] = "";
        glGetProgramInfoLog(name, sizeof log, nullptr, log);
        std::fprintf(stderr, "OpenGL device: a shader program does not link: %s\n", log);
        glDeleteProgram(name);
        return false;
    }
    program->name = name;
    program->worldViewProjection = glGetUniformLocation(name, "worldViewProjection");
    program->worldView = glGetUniformLocation(name, "worldView");
    program->normalMatrix = glGetUniformLocation(name, "normalMatrix");
    program->viewportMap = glGetUniformLocation(name, "viewportMap");
    program->screenToClip = glGetUniformLocation(name, "screenToClip");
    program->base = glGetUniformLocation(name, "base");
    program->materialDiffuse = glGetUniformLocation(name, "materialDiffuse");
    program->materialAmbient = glGetUniformLocation(name, "materialAmbient");
    program->lightCount = glGetUniformLocation(name, "lightCount");
    glUseProgram(name);
    glUniform1i(glGetUniformLocation(name, "picture"), PictureUnit);
    glUniform1i(glGetUniformLocation(name, "lights"), LightsUnit);
    return true;
}

}  // namespace

uint32_t ProgramKey::Code() const {
    uint32_t code = 0;
    if (transformed) {
        code |= Transformed;
    } else if (lighting) {
        code |= Lighting;
        if (normals) code |= Normals;
        if (normals && normalize) code |= Normalize;
        if (diffuse && colourVertex) code |= ColourVertex | Diffuse;
    }
    if (!(code & Lighting) && diffuse) code |= Diffuse;
    if (textured) code |= Textured;
    if (textured && perspective) code |= Perspective;
    return code;
}

const Program* ProgramFor(const ProgramKey& key) {
    Slot& slot = programs[key.Code()];
    if (!slot.tried) {
        slot.tried = true;
        slot.built = Build(key.Code(), &slot.program);
    }
    return slot.built ? &slot.program : nullptr;
}

}  // namespace opengl
