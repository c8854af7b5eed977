// Folders that WeChat 2019 and earlier kept directly in the account folder, in the order they are
// removed, each with the pause that follows its removal.
#pragma once

#include <array>
#include <string_view>

namespace clean {

struct LegacyFolder {
  std::string_view name;  // in the account folder
  unsigned pauseMs;
};

inline constexpr std::array<LegacyFolder, 9> kLegacyFolders{{
    {"Video", 3000},
    {"Attachment", 2000},
    {"CustomEmoV1", 2000},
    {"CustomEmotions", 2000},
    {"FavTemp", 2000},
    {"Files", 2000},
    {"HDHeadImage", 2000},
    {"Data", 2000},
    {"Image", 3000},
}};

}  // namespace clean
