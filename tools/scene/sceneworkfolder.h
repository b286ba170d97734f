// The loader opens "scenes//NAME" and "gfx//NAME" relative to the working folder. For a scene
// file anywhere, a temporary folder links "scenes" to the file's folder and "gfx" to the gfx
// folder beside that one, and is the working folder while this object lives.
#pragma once

#include <string>

class SceneWorkFolder {
public:
    SceneWorkFolder() = default;
    SceneWorkFolder(const SceneWorkFolder&) = delete;
    SceneWorkFolder& operator=(const SceneWorkFolder&) = delete;
    ~SceneWorkFolder();

    // 1 when the scene file exists and the folder is ready; 0 with the reason on stderr.
    int Enter(const std::string& scenePath);
    // The scene's file name, as the loader takes it.
    const std::string& FileName() const { return fileName; }
    // The folder the textures are looked up in.
    const std::string& ImageFolder() const { return imageFolder; }

private:
    std::string folder;
    std::string previous;
    std::string fileName;
    std::string imageFolder;
};
