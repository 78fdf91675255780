// The fixed parts of the scene files: the tags that open them and the text
// fields, as the writer lays them out and the reader finds them.
#pragma once

#include <cstddef>

#include "scene/records.h"

namespace zy::writer {

inline constexpr std::size_t kTagSize = 8;
inline constexpr char kShadeTag[] = "RT_PATH ";
inline constexpr char kSettingsTag[] = "RT_INFO ";
inline constexpr char kFrameTag[] = "RT_FRAME";
inline constexpr char kTextureTag[] = "ZYTEXTUR";

/// A zero-padded text field: the bytes it takes in the file and the characters
/// zyray keeps of them.
struct TextField {
    std::size_t stored;
    std::size_t kept;
};
inline constexpr TextField kShadeDirectory{141, 140};
inline constexpr TextField kShadeScene{14, 13};
inline constexpr TextField kTextureName{80, 80};

inline constexpr std::size_t kShadeFileSize = kTagSize + kShadeDirectory.stored + kShadeScene.stored;
/// The settings file up to the end of its record; the texture names follow.
inline constexpr std::size_t kSettingsHeadSize = kTagSize + sizeof(RT_INF);

}  // namespace zy::writer
