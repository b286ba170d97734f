#include "ddraw/opengl/passes.h"

#include <cstdio>
#include <utility>

namespace opengl {

namespace {

// One triangle covering the whole viewport.
const char WholeViewport[] = R"(#version 330 core
void main() {
    vec2 corner = vec2(float((gl_VertexID & 1) * 4 - 1), float((gl_VertexID >> 1) * 4 - 1));
    gl_Position = vec4(corner, 0.0, 1.0);
}
)";

const char ResolveShader[] = R"(#version 330 core
uniform sampler2D picture;
uniform int storage;  // 0: 8 bits per channel, 1: 5-6-5, 2: 5-5-5
uniform bool dither;
uniform bool flipRows;
uniform int height;
out vec4 fragment;

const float bayer[16] = float[](0.0, 8.0, 2.0, 10.0, 12.0, 4.0, 14.0, 6.0,
                                3.0, 11.0, 1.0, 9.0, 15.0, 7.0, 13.0, 5.0);

void main() {
    ivec2 at = ivec2(gl_FragCoord.xy);
    ivec2 source = flipRows ? ivec2(at.x, height - 1 - at.y) : at;
    vec3 levels = floor(texelFetch(picture, source, 0).rgb * 255.0 + 0.5);
    if (storage == 0) {
        fragment = vec4(levels / 255.0, 0.0);
        return;
    }
    int row = source.y;
    float threshold = dither ? bayer[(row & 3) * 4 + (at.x & 3)] : 0.0;
    float fiveBit = floor(threshold / 2.0);
    float red = min(floor((levels.r + fiveBit) / 8.0), 31.0);
    float blue = min(floor((levels.b + fiveBit) / 8.0), 31.0);
    if (storage == 1) {
        float green = min(floor((levels.g + floor(threshold / 4.0)) / 4.0), 63.0);
        fragment = vec4(red / 31.0, green / 63.0, blue / 31.0, 0.0);
    } else {
        float green = min(floor((levels.g + fiveBit) / 8.0), 31.0);
        fragment = vec4(red / 31.0, green / 31.0, blue / 31.0, 0.0);
    }
}
)";

const char DepthShader[] = R"(#version 330 core
uniform sampler2D depths;
void main() { gl_FragDepth = texelFetch(depths, ivec2(gl_FragCoord.xy), 0).r; }
)";

struct Pass {
    bool tried = false;
    GLuint program = 0;
    GLuint vertexArray = 0;
};

GLuint Link(const char* fragmentSource) {
    GLuint program = glCreateProgram();
    const std::pair<GLenum, const char*> stages[] = {{GL_VERTEX_SHADER, WholeViewport},
                                                     {GL_FRAGMENT_SHADER, fragmentSource}};
    for (const auto& [type, source] : stages) {
        GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked) return program;
    char log[1024] = "";
    glGetProgramInfoLog(program, sizeof log, nullptr, log);
    std::fprintf(stderr, "OpenGL device: a framebuffer pass does not build: %s\n", log);
    glDeleteProgram(program);
    return 0;
}

// Binds the pass's program, building it on first use; false when it cannot be built.
bool Begin(Pass& pass, const char* fragmentSource) {
    if (!pass.tried) {
        pass.tried = true;
        pass.program = Link(fragmentSource);
        glGenVertexArrays(1, &pass.vertexArray);
    }
    if (!pass.program) return false;
    glUseProgram(pass.program);
    glBindVertexArray(pass.vertexArray);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_CLAMP);
    return true;
}

Pass resolvePass, depthPass;  // one GL context per process

}  // namespace

void DrawResolvedPicture(GLuint picture, int width, int height, software::ColourFormat layout, bool dither,
                         bool flipRows) {
    if (!Begin(resolvePass, ResolveShader)) return;
    const GLuint program = resolvePass.program;
    int code = layout == software::ColourFormat::R5G6B5 ? 1 : layout == software::ColourFormat::X1R5G5B5 ? 2 : 0;
    glUniform1i(glGetUniformLocation(program, "picture"), 0);
    glUniform1i(glGetUniformLocation(program, "storage"), code);
    glUniform1i(glGetUniformLocation(program, "dither"), dither);
    glUniform1i(glGetUniformLocation(program, "flipRows"), flipRows);
    glUniform1i(glGetUniformLocation(program, "height"), height);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, picture);
    glBindSampler(0, 0);
    glDisable(GL_DEPTH_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, width, height);
    glDrawArrays(GL_TRIANGLES, 0, 3);
}

void DrawDepths(GLuint depths) {
    if (!Begin(depthPass, DepthShader)) return;
    glUniform1i(glGetUniformLocation(depthPass.program, "depths"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, depths);
    glBindSampler(0, 0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_TRUE);
    glDepthRange(0.0, 1.0);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthFunc(GL_LEQUAL);
}

}  // namespace opengl
