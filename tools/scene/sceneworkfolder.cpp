#include "sceneworkfolder.h"

#include "datafile.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

int SceneWorkFolder::Enter(const std::string& scenePath) {
    char resolved[PATH_MAX];
    std::string problem;
    if (!realpath(scenePath.c_str(), resolved)) {
        fprintf(stderr, "%s: cannot open: %s\n", scenePath.c_str(), strerror(errno));
        return 0;
    }
    FILE* scene = OpenDataFile(resolved, problem);
    if (!scene) {
        fprintf(stderr, "%s: cannot open: %s\n", scenePath.c_str(), problem.c_str());
        return 0;
    }
    fclose(scene);
    const std::filesystem::path file(resolved);
    fileName = file.filename().string();
    const std::filesystem::path sceneFolder = file.parent_path();
    imageFolder = (sceneFolder.parent_path() / "gfx").string();

    char pattern[] = "/tmp/heliotropic-scene-XXXXXX";
    if (!mkdtemp(pattern)) {
        fprintf(stderr, "heliotropic-scene: cannot make a temporary folder: %s\n", strerror(errno));
        return 0;
    }
    folder = pattern;
    char current[PATH_MAX];
    if (!getcwd(current, sizeof current) || symlink(sceneFolder.c_str(), (folder + "/scenes").c_str()) != 0 ||
        symlink(imageFolder.c_str(), (folder + "/gfx").c_str()) != 0 || chdir(folder.c_str()) != 0) {
        fprintf(stderr, "heliotropic-scene: cannot prepare %s: %s\n", folder.c_str(), strerror(errno));
        return 0;
    }
    previous = current;
    return 1;
}

SceneWorkFolder::~SceneWorkFolder() {
    if (!previous.empty() && chdir(previous.c_str()) != 0) perror("heliotropic-scene: cannot return");
    if (folder.empty()) return;
    // Only the two links and the folder itself: never what they point to.
    unlink((folder + "/scenes").c_str());
    unlink((folder + "/gfx").c_str());
    rmdir(folder.c_str());
}
