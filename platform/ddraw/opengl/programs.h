// The shader programs that stand in for Direct3D 7's fixed-function pipeline: one program per
// combination of the states that change the shaders, built on first use and kept.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

namespace opengl {

// What a draw's shaders depend on; everything else is uniforms or fixed GL state.
struct ProgramKey {
    bool transformed;   // XYZRHW vertices: no transform, no lighting
    bool normals;       // the vertices carry normals (lit draws only)
    bool diffuse;       // the vertices carry a diffuse colour
    bool lighting;
    bool colourVertex;  // the vertex colour stands in for the material's diffuse colour
    bool normalize;
    bool textured;
    bool perspective;   // texture co-ordinates interpolated with perspective
    int target;         // the render target's layout: 0 8 bits a channel, 1 5-6-5, 2 5-5-5
    bool dither;        // 16-bit targets only
    bool blended;       // 16-bit targets only: blending is on

    // The key with the states that cannot matter for it cleared, as a number.
    uint32_t Code() const;
};

// Attribute locations shared by every program.
enum Attribute : GLuint { PositionAttribute = 0, NormalAttribute = 1, DiffuseAttribute = 2, TexCoordAttribute = 3 };

// Texture units: the texture of stage 0, and the lights as a buffer texture.
constexpr GLint PictureUnit = 0;
constexpr GLint LightsUnit = 1;

struct Program {
    GLuint name;
    GLint worldViewProjection, worldView, normalMatrix;
    GLint viewportMap;   // viewport x, y, half width, half height in target pixels
    GLint depthMap;      // viewport minimum depth and depth range
    GLint screenToClip;  // scale and offset from screen to clip space, pre-transformed vertices
    GLint base, materialDiffuse, materialAmbient, lightCount;
};

// Compiles each stage from its whole source and links them; 0, with the GL's log on stderr, when a
// stage does not compile or the program does not link. A stage with no source is left out.
GLuint LinkProgram(std::initializer_list<std::pair<GLenum, std::string>> stages);

// The program for the key, compiled and linked on first use; null when the GL refuses it.
const Program* ProgramFor(const ProgramKey& key);

}  // namespace opengl
