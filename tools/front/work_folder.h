// The folder a render works in: the compiled scene, the renderer's folder with
// its break file and pictures, and a record of what they belong to.
#pragma once

#include <filesystem>
#include <string>

#include "writer/frame_range.h"

namespace zy::front {

/// What the work folder holds for one fingerprint.
enum class WorkState { Other, Partial, Complete };

class WorkFolder {
public:
    /// dir: the --work folder (created when missing), or "" for a temporary
    /// folder that is removed with this object.
    explicit WorkFolder(const std::string& dir);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    bool kept() const { return kept_; }
    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path compiled() const { return root_ / "scene"; }
    std::filesystem::path render() const { return root_ / "render"; }

    /// Whether the renderer's folder holds a render of fingerprint, and how far.
    WorkState state(const std::string& fingerprint) const;
    /// True when it holds a render of another fingerprint.
    bool holds_other() const;
    void record(const std::string& fingerprint, WorkState state) const;

private:
    std::filesystem::path root_;
    bool kept_;
};

/// A digest of the scene files the render starts from and of the frames asked
/// for: two renders of one fingerprint give the same pictures.
std::string fingerprint(const writer::RangeSource& source, int first, int end);

}  // namespace zy::front
