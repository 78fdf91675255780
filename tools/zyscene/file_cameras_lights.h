// The cameras and lights of a model file, carried into the frame of its mesh.
#pragma once

#include <assimp/scene.h>

#include <filesystem>

#include "zyscene/model_file.h"
#include "zyscene/objects.h"

namespace zy::zyscene {

/// How the imported file's coordinates (already mirrored into the left-handed
/// frame when the file is right-handed) become the mesh's: turned upright
/// when the file's up axis is z.
class FileFrame {
public:
    FileFrame(const MeshShape& shape, const aiScene& scene, const std::filesystem::path& file);

    /// A point or a direction of the imported file, upright.
    aiVector3D upright(const aiVector3D& v) const;

    bool right_handed() const { return right_handed_; }
    /// glTF's importer also stores the node's translation as the camera's own position.
    bool camera_at_node() const { return camera_at_node_; }
    const std::string& name() const { return name_; }

private:
    bool right_handed_, z_up_, camera_at_node_;
    std::string name_;
};

/// Adds the cameras and lights of scene, the file as read without any
/// processing (the importer's own steps misplace them), to model, with a
/// warning line for each kind the renderer cannot show as it is.
void read_cameras_lights(const aiScene& scene, const FileFrame& frame, ModelFile& model);

}  // namespace zy::zyscene
