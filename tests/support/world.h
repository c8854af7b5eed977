// A machine with WeChat data of every kind the windows meet, on the fake file system: a busy
// WeChat 3.9 account, an old one with the folders of 2019, one whose folders the user moved to
// D: with junctions, and a WeChat 4.x account in a folder its settings name. Each account's files
// are sized in a band of its own (bytes, K, M, G), so any figure on screen tells whose it is.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "fakes/harness.h"

namespace support {

struct WorldAccount {
  std::string path;
  std::string shown;  // as the account list shows it
  bool current;       // WeChat 4.x
  char band;          // the unit every non-zero figure of it shows: 0 (plain), 'K', 'M' or 'G'
};

struct World {
  // Builds the tree into `h`; `rng` varies what is locked and whether links stay as under Wine.
  World(fakes::Harness& h, std::mt19937& rng);

  std::vector<WorldAccount> accounts;
  std::vector<std::string> untouchable;  // files no deletion may ever take
  std::vector<std::string> junctions;    // the user's relocations: they stay
  std::vector<std::string> locked;
  std::vector<std::string> dataFolders;  // what a user may type or pick as the data folder

  const WorldAccount* byShownName(const std::string& text) const;
};

}  // namespace support
