#include "ddraw/opengl/glcontext.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <platform/glpresentation.h>

#include <cstring>

namespace opengl {

namespace {

struct HeadlessContext {
    bool tried = false;
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    std::string failure;
    std::string renderer;
} headless;

bool HasExtension(const char* list, const char* name) {
    if (list == nullptr) return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + length, name))
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
    return false;
}

// Mesa's surfaceless platform needs no display server; other drivers get their default display.
EGLDisplay OpenDisplay() {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display != EGL_NO_DISPLAY) return display;
    }
    return eglGetDisplay(EGL_DEFAULT_DISPLAY);
}

bool Fail(const char* reason) {
    headless.failure = reason;
    if (headless.display != EGL_NO_DISPLAY) eglTerminate(headless.display);
    headless.display = EGL_NO_DISPLAY;
    return false;
}

bool CreateHeadless() {
    headless.display = OpenDisplay();
    if (headless.display == EGL_NO_DISPLAY) return Fail("no EGL display");
    EGLint major = 0, minor = 0;
    if (!eglInitialize(headless.display, &major, &minor)) {
        headless.display = EGL_NO_DISPLAY;
        return Fail("EGL cannot be initialised");
    }
    const char* extensions = eglQueryString(headless.display, EGL_EXTENSIONS);
    if (!HasExtension(extensions, "EGL_KHR_surfaceless_context")) return Fail("EGL cannot make a context current without a surface");
    if (!eglBindAPI(EGL_OPENGL_API)) return Fail("EGL offers no desktop OpenGL");
    EGLConfig config = EGL_NO_CONFIG_KHR;
    if (!HasExtension(extensions, "EGL_KHR_no_config_context")) {
        const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint count = 0;
        if (!eglChooseConfig(headless.display, wanted, &config, 1, &count) || count == 0)
            return Fail("EGL has no configuration for desktop OpenGL");
    }
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    headless.context = eglCreateContext(headless.display, config, EGL_NO_CONTEXT, attributes);
    if (headless.context == EGL_NO_CONTEXT) return Fail("EGL cannot create an OpenGL 3.3 core context");
    if (!eglMakeCurrent(headless.display, EGL_NO_SURFACE, EGL_NO_SURFACE, headless.context)) {
        eglDestroyContext(headless.display, headless.context);
        headless.context = EGL_NO_CONTEXT;
        return Fail("EGL cannot make its OpenGL context current");
    }
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    headless.renderer = renderer ? renderer : "";
    return true;
}

}  // namespace

bool MakeHeadlessContextCurrent() {
    if (!headless.tried) {
        headless.tried = true;
        return CreateHeadless();
    }
    if (headless.context == EGL_NO_CONTEXT) return false;
    if (eglGetCurrentContext() == headless.context) return true;
    return eglMakeCurrent(headless.display, EGL_NO_SURFACE, EGL_NO_SURFACE, headless.context);
}

void ReleaseHeadlessContext() {
    if (headless.context != EGL_NO_CONTEXT && eglGetCurrentContext() == headless.context)
        eglMakeCurrent(headless.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

namespace {
bool deviceContextChosen = false;
HWND displayWindow = nullptr;  // null: the headless context
bool presentingLive = false;
}  // namespace

void ChooseDeviceContext(HWND window) {
    if (deviceContextChosen) return;
    deviceContextChosen = true;
    ReleaseHeadlessContext();
    if (window != nullptr && platform::MakeDisplayGlContextCurrent(window)) {
        displayWindow = window;
        presentingLive = true;
    }
}

bool DrawingForDisplay() { return presentingLive; }

void StopPresentingLive() { presentingLive = false; }

bool MakeDeviceContextCurrent() {
    return displayWindow ? platform::MakeDisplayGlContextCurrent(displayWindow) : MakeHeadlessContextCurrent();
}

const std::string& HeadlessContextFailure() { return headless.failure; }

const std::string& RendererName() {
    if (!headless.tried) MakeHeadlessContextCurrent();
    return headless.renderer;
}

bool IsSoftwareRenderer(const std::string& renderer) {
    for (const char* name : {"llvmpipe", "softpipe", "swrast"})
        if (renderer.find(name) != std::string::npos) return true;
    return false;
}

}  // namespace opengl
