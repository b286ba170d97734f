#include "ddraw/opengl/passes.h"

#include "ddraw/opengl/programs.h"

namespace opengl {

namespace {

// One triangle covering the whole viewport.
const char WholeViewport[] = R"(#version 330 core
void main() {
    vec2 corner = vec2(float((gl_VertexID & 1) * 4 - 1), float((gl_VertexID >> 1) * 4 - 1));
    gl_Position = vec4(corner, 0.0, 1.0);
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

// Binds the pass's program, building it on first use; false when it cannot be built.
bool Begin(Pass& pass, const char* fragmentSource) {
    if (!pass.tried) {
        pass.tried = true;
        pass.program = LinkProgram({{GL_VERTEX_SHADER, WholeViewport}, {GL_FRAGMENT_SHADER, fragmentSource}});
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

Pass depthPass;  // one GL context per process

}  // namespace

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
