#include "fuzzsupport.h"

#include "headlessdevice.h"
#include "renderdevice.h"
#include "scene.h"
#include "vecmath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string folder;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace

void EnterFuzzFolder() {
    char pattern[] = "/tmp/heliotropic-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) {
        perror("heliotropic fuzz: cannot make a working folder");
        std::exit(1);
    }
    folder = pattern;
    if (chdir(pattern) != 0 || mkdir("scenes", 0755) != 0 || mkdir("gfx", 0755) != 0) {
        perror("heliotropic fuzz: cannot prepare the working folder");
        std::exit(1);
    }
    std::atexit(RemoveFolder);
    // Sanitizers and libFuzzer write to the file descriptor, not through this stream, so their
    // reports still show.
    if (!std::getenv("HELIOTROPIC_FUZZ_VERBOSE")) {
        if (FILE* quiet = std::fopen("/dev/null", "w")) stderr = quiet;
    }
}

void WriteFuzzFile(const char* path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path, "wb");
    if (!file || (size && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        perror(path);
        std::abort();
    }
}

void OpenShowDevice() {
    if (!OpenHeadlessDevice(renderDevice) || !renderDevice.ReadTextureLimits()) {
        fputs("heliotropic fuzz: no software device\n", stdout);
        std::exit(1);
    }
}

void LoadAndDrawScene(const char* name, float frameScale, int flatMesh) {
    // Static storage, as the show keeps its scenes; too large for the stack.
    static Scene* scene = new Scene();
    static LightSet* lights = new LightSet();
    lights->deviceLightCount = lights->flareCount = lights->lightCount = 0;
    scene->Load(name, *lights, renderDevice, frameScale, flatMesh);

    IDirect3DDevice7* device = renderDevice.device;
    const DWORD frameCount = scene->frameCount > 0 ? static_cast<DWORD>(scene->frameCount) : 0;
    for (const DWORD frame : {DWORD(0), frameCount / 2, frameCount, frameCount + 1, DWORD(0xFFFFFFFF)}) {
        device->BeginScene();
        Vector eye, target;
        for (int8_t camera = 0; camera < 2; ++camera) scene->EvaluateCamera(*lights, camera, eye, target, frame);
        BuildViewMatrix(lights->view, eye, target, Vector(0.0f, 1.0f, 0.0f));
        BuildProjectionMatrix(lights->projection, 1.5707964f, 1.0f, 1.0f, 1000.0f);
        device->SetTransform(D3DTRANSFORMSTATE_VIEW, lights->view.AsD3D());
        device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, lights->projection.AsD3D());
        scene->EvaluateObjects(frame);
        scene->UpdateLights(frame, renderDevice, *lights);
        lights->ApplyLights(renderDevice);
        scene->RenderOpaqueThenBlended(renderDevice, *lights, nullptr);
        device->EndScene();
    }
    scene->Free();
}

float FrameScaleOf(uint8_t choice) {
    static const float scales[] = {1.0f, 3.0f, 3.2f, 4.0f, 6.0f, 7.0f};
    return scales[choice % (sizeof scales / sizeof scales[0])];
}
