#include "ddraw/opengl/programs.h"

#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

namespace opengl {

namespace {

// Pre-transformed vertices go straight to the rasteriser; transformed ones are lit here and
// clipped by the geometry shader.
const char VertexShader[] = R"(
layout(location = 0) in vec4 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec4 diffuse;
layout(location = 3) in vec2 texCoord;

uniform mat4 worldViewProjection;
uniform mat4 worldView;
uniform mat3 normalMatrix;
uniform vec4 screenToClip;
uniform vec3 base;
uniform vec3 materialDiffuse;
uniform vec3 materialAmbient;
uniform int lightCount;
uniform samplerBuffer lights;

#if TRANSFORMED
noperspective out vec3 colour;
noperspective out vec3 texCoordQ;
#else
out vec3 vertexColour;
out vec2 vertexUv;
#endif

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
    // Screen pixels with centres on integers, snapped to a sixteenth, as the software device does.
    vec2 screen = floor(position.xy * 16.0 + 0.5) / 16.0;
    gl_Position = vec4(screen * screenToClip.xy + screenToClip.zw, 2.0 * position.z - 1.0, 1.0);
#if DIFFUSE
    colour = diffuse.rgb;
#else
    colour = vec3(1.0);
#endif
#if PERSPECTIVE
    texCoordQ = vec3(texCoord * position.w, position.w);
#else
    texCoordQ = vec3(texCoord, 1.0);
#endif
#else
    gl_Position = worldViewProjection * vec4(position.xyz, 1.0);
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
    vertexColour = Light(eye, n, diffuse.rgb);
#else
    vertexColour = Light(eye, n, materialDiffuse);
#endif
#elif DIFFUSE
    vertexColour = diffuse.rgb;
#else
    vertexColour = vec3(1.0);
#endif
    vertexUv = texCoord;
#endif
}
)";

// Cuts transformed triangles as the software device does, in clip space against the near and far
// planes, a guard band four times the viewport and w > 0, corners computed from the inside end of
// each edge; the polygon is drawn as a fan from its first corner. Corners are mapped to
// Direct3D's screen (pixel centres on integers), snapped to a sixteenth of a pixel, and moved to
// GL's centres; framebuffer rows are Direct3D's rows, the top one first, so the rasteriser's own
// top-left rule is Direct3D's. Everything then runs linearly across the screen, as in the
// software device: colours, depth, and texture co-ordinates divided by w with 1 / w beside them
// (the fragment shader divides back), so GL rasterises flat triangles with w 1.
const char GeometryShader[] = R"(
layout(triangles) in;
layout(triangle_strip, max_vertices = 24) out;

in vec3 vertexColour[];
in vec2 vertexUv[];
uniform vec4 viewportMap;   // x, y, half width, half height
uniform vec2 depthMap;      // the viewport's minimum depth and its (widened) range
uniform vec4 screenToClip;

noperspective out vec3 colour;
noperspective out vec3 texCoordQ;

const float GuardBand = 4.0;
const float MinW = 1e-5;
const int PlaneCount = 7;
const int MaxCorners = 10;

float Distance(vec4 p, int plane) {
    if (plane == 0) return p.z;
    if (plane == 1) return p.w - p.z;
    if (plane == 2) return p.x + GuardBand * p.w;
    if (plane == 3) return GuardBand * p.w - p.x;
    if (plane == 4) return p.y + GuardBand * p.w;
    if (plane == 5) return GuardBand * p.w - p.y;
    return p.w - MinW;
}

int Outcode(vec4 p) {
    int code = 0;
    for (int plane = 0; plane < PlaneCount; ++plane)
        if (!(Distance(p, plane) >= 0.0)) code |= 1 << plane;
    return code;
}

// In sixteenths of a pixel.
vec2 SnappedScreen(vec4 p) {
    float q = 1.0 / p.w;
    return floor((viewportMap.xy + vec2(1.0 + p.x * q, 1.0 - p.y * q) * viewportMap.zw) * 16.0 + 0.5);
}

void Emit(vec4 p, vec2 snapped, vec3 c, vec2 t) {
    float q = 1.0 / p.w;
    // A range reaching past 1 maps on past it; the depth test then sees 1.
    float depth = clamp(depthMap.x + p.z * q * depthMap.y, 0.0, 1.0);
    gl_Position = vec4(snapped / 16.0 * screenToClip.xy + screenToClip.zw, 2.0 * depth - 1.0, 1.0);
    colour = c;
#if PERSPECTIVE
    texCoordQ = vec3(t * q, q);
#else
    texCoordQ = vec3(t, 1.0);
#endif
    EmitVertex();
}

// Triangles that snap to no area, or whose corners are not finite, draw nothing.
void Triangle(vec4 p0, vec4 p1, vec4 p2, vec3 c0, vec3 c1, vec3 c2, vec2 t0, vec2 t1, vec2 t2) {
    vec2 s0 = SnappedScreen(p0), s1 = SnappedScreen(p1), s2 = SnappedScreen(p2);
    vec2 e1 = s1 - s0, e2 = s2 - s0;
    float area = e1.x * e2.y - e2.x * e1.y;
    if (area == 0.0 || isinf(area) || isnan(area)) return;
    Emit(p0, s0, c0, t0);
    Emit(p1, s1, c1, t1);
    Emit(p2, s2, c2, t2);
    EndPrimitive();
}

void main() {
    int codes[3] = int[3](Outcode(gl_in[0].gl_Position), Outcode(gl_in[1].gl_Position), Outcode(gl_in[2].gl_Position));
    if ((codes[0] | codes[1] | codes[2]) == 0) {
        Triangle(gl_in[0].gl_Position, gl_in[1].gl_Position, gl_in[2].gl_Position, vertexColour[0], vertexColour[1],
                 vertexColour[2], vertexUv[0], vertexUv[1], vertexUv[2]);
        return;
    }
    int outside = codes[0] & codes[1] & codes[2];
    if (outside != 0) return;  // wholly outside one plane
    int cut = codes[0] | codes[1] | codes[2];

    vec4 p[MaxCorners];
    vec3 c[MaxCorners];
    vec2 t[MaxCorners];
    vec4 np[MaxCorners];
    vec3 nc[MaxCorners];
    vec2 nt[MaxCorners];
    for (int i = 0; i < 3; ++i) {
        p[i] = gl_in[i].gl_Position;
        c[i] = vertexColour[i];
        t[i] = vertexUv[i];
    }
    int count = 3;
    for (int plane = 0; plane < PlaneCount && count > 0; ++plane) {
        if ((cut & (1 << plane)) == 0) continue;
        int written = 0;
        for (int i = 0; i < count; ++i) {
            int j = i + 1 == count ? 0 : i + 1;
            float d0 = Distance(p[i], plane), d1 = Distance(p[j], plane);
            bool in0 = d0 >= 0.0, in1 = d1 >= 0.0;
            if (in0) {
                np[written] = p[i];
                nc[written] = c[i];
                nt[written] = t[i];
                ++written;
            }
            if (in0 != in1) {
                if (in0) {
                    float f = d0 / (d0 - d1);
                    np[written] = p[i] + (p[j] - p[i]) * f;
                    nc[written] = c[i] + (c[j] - c[i]) * f;
                    nt[written] = t[i] + (t[j] - t[i]) * f;
                } else {
                    float f = d1 / (d1 - d0);
                    np[written] = p[j] + (p[i] - p[j]) * f;
                    nc[written] = c[j] + (c[i] - c[j]) * f;
                    nt[written] = t[j] + (t[i] - t[j]) * f;
                }
                ++written;
            }
        }
        count = written < 3 ? 0 : written;
        for (int i = 0; i < count; ++i) {
            p[i] = np[i];
            c[i] = nc[i];
            t[i] = nt[i];
        }
    }
    for (int i = 1; i + 1 < count; ++i) Triangle(p[0], p[i], p[i + 1], c[0], c[i], c[i + 1], t[0], t[i], t[i + 1]);
}
)";

// Colours in whole levels, modulated as the software device rounds them, alpha left 0. The
// source colour is also the second output, which blending takes as its factor. A 16-bit target
// gets each draw's pixels quantised as the software device stores them, through its dither
// pattern: drawn over, exactly; blended, half a level lower, so that GL's rounding of the sum
// becomes the software device's truncation.
const char FragmentShader[] = R"(
noperspective in vec3 colour;
noperspective in vec3 texCoordQ;

uniform sampler2D picture;
layout(location = 0, index = 0) out vec4 fragment;
layout(location = 0, index = 1) out vec4 factor;

const float bayer[16] = float[](0.0, 8.0, 2.0, 10.0, 12.0, 4.0, 14.0, 6.0,
                                3.0, 11.0, 1.0, 9.0, 15.0, 7.0, 13.0, 5.0);

void main() {
    vec3 levels = floor(clamp(colour, 0.0, 1.0) * 255.0 + 0.5);
#if TEXTURED
    vec3 texel = floor(texture(picture, texCoordQ.xy / texCoordQ.z).rgb * 255.0 + 0.5);
    levels = floor(texel * levels / 255.0 + 0.5);
#endif
    factor = vec4(levels / 255.0, 0.0);
#if TARGET == 0
    fragment = factor;
#else
#if DITHER
    ivec2 at = ivec2(gl_FragCoord.xy);
    float threshold = bayer[(at.y & 3) * 4 + (at.x & 3)];
#else
    float threshold = 0.0;
#endif
    float fiveBit = floor(threshold / 2.0);
#if TARGET == 1
    vec3 offset = vec3(fiveBit, floor(threshold / 4.0), fiveBit);
    vec3 step = vec3(8.0, 4.0, 8.0);
    vec3 top = vec3(31.0, 63.0, 31.0);
#else
    vec3 offset = vec3(fiveBit);
    vec3 step = vec3(8.0);
    vec3 top = vec3(31.0);
#endif
#if BLENDED
    fragment = vec4(max((levels + offset) / step - 0.0625, 0.0) / top, 0.0);
#else
    fragment = vec4(min(floor((levels + offset) / step), top) / top, 0.0);
#endif
#endif
}
)";
constexpr uint32_t Transformed = 1, Normals = 2, Diffuse = 4, Lighting = 8, ColourVertex = 16, Normalize = 32,
                   Textured = 64, Perspective = 128, Dither = 256, Blended = 512, TargetShift = 10;

struct Slot {
    bool tried;
    bool built;
    Program program;
};
std::unordered_map<uint32_t, Slot> programs;  // one GL context per process; filled on first uses only

// What failed, and the GL's log of the shader or program that failed, on stderr.
void ReportFailure(PFNGLGETSHADERINFOLOGPROC getLog, GLuint object, const char* what) {
    char log[1024] = "";
    getLog(object, sizeof log, nullptr, log);
    std::fprintf(stderr, "OpenGL device: %s: %s\n", what, log);
}

GLuint Compile(GLenum type, const std::string& source) {
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled) return shader;
    ReportFailure(glGetShaderInfoLog, shader, "a shader does not compile");
    glDeleteShader(shader);
    return 0;
}

std::string Defines(uint32_t code) {
    std::string defines;
    const std::pair<uint32_t, const char*> names[] = {
        {Transformed, "TRANSFORMED"}, {Normals, "NORMALS"},   {Diffuse, "DIFFUSE"},   {Lighting, "LIGHTING"},
        {ColourVertex, "COLOURVERTEX"}, {Normalize, "NORMALIZE"}, {Textured, "TEXTURED"}, {Perspective, "PERSPECTIVE"},
        {Dither, "DITHER"}, {Blended, "BLENDED"}};
    for (const auto& [bit, name] : names) defines += std::string("#define ") + name + ((code & bit) ? " 1\n" : " 0\n");
    defines += "#define TARGET " + std::to_string(code >> TargetShift) + "\n";
    return defines;
}

bool Build(uint32_t code, Program* program) {
    const std::string header = "#version 330 core\n" + Defines(code);
    const bool transformed = code & Transformed;
    const GLuint name = LinkProgram({{GL_VERTEX_SHADER, header + VertexShader},
                                     {GL_FRAGMENT_SHADER, header + FragmentShader},
                                     {GL_GEOMETRY_SHADER, transformed ? std::string() : header + GeometryShader}});
    if (!name) return false;
    program->name = name;
    program->worldViewProjection = glGetUniformLocation(name, "worldViewProjection");
    program->worldView = glGetUniformLocation(name, "worldView");
    program->normalMatrix = glGetUniformLocation(name, "normalMatrix");
    program->viewportMap = glGetUniformLocation(name, "viewportMap");
    program->depthMap = glGetUniformLocation(name, "depthMap");
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

GLuint LinkProgram(std::initializer_list<std::pair<GLenum, std::string>> stages) {
    std::vector<GLuint> shaders;
    bool compiled = true;
    for (const auto& [type, source] : stages) {
        if (source.empty()) continue;
        const GLuint shader = Compile(type, source);
        compiled = compiled && shader;
        shaders.push_back(shader);
    }
    GLuint name = 0;
    if (compiled) {
        name = glCreateProgram();
        for (GLuint shader : shaders) glAttachShader(name, shader);
        glLinkProgram(name);
    }
    for (GLuint shader : shaders) glDeleteShader(shader);
    if (!compiled) return 0;
    GLint linked = GL_FALSE;
    glGetProgramiv(name, GL_LINK_STATUS, &linked);
    if (linked) return name;
    ReportFailure(glGetProgramInfoLog, name, "a shader program does not link");
    glDeleteProgram(name);
    return 0;
}

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
    if (target != 0) {
        code |= static_cast<uint32_t>(target) << TargetShift;
        if (dither) code |= Dither;
        if (blended) code |= Blended;
    }
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
