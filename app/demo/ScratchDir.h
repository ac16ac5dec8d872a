// A scratch working directory that shows the game's data folders, so that a robot player's
// saving never touches the player's own savegame.dat.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace walkthrough {

class ScratchDir {
 public:
  // Makes a fresh directory named Prefix-XXXXXX in the temporary folder, links the data folders
  // of Data into it and makes it the current directory; throws naming what is missing.
  ScratchDir(const std::filesystem::path& Data, const std::string& Prefix) {
    namespace fs = std::filesystem;
    for (const char* Folder : {"scenes", "sprites", "items", "music"}) {
      if (!fs::exists(Data / Folder)) {
        throw std::runtime_error("no " + std::string(Folder) + "/ in the game data at " +
                                 Data.string());
      }
    }
    std::string Template = (fs::temp_directory_path() / (Prefix + "-XXXXXX")).string();
    if (::mkdtemp(Template.data()) == nullptr) {
      throw std::runtime_error("cannot make a scratch directory in " +
                               fs::temp_directory_path().string());
    }
    dir_ = Template;
    for (const char* Folder : {"scenes", "sprites", "items", "music"}) {
      fs::create_directory_symlink(fs::absolute(Data / Folder), dir_ / Folder);
    }
    // The other languages, where the game has any.
    if (fs::exists(Data / "lang")) {
      fs::create_directory_symlink(fs::absolute(Data / "lang"), dir_ / "lang");
    }
    old_ = fs::current_path();
    fs::current_path(dir_);
  }
  ~ScratchDir() {
    std::error_code Ignored;
    std::filesystem::current_path(old_, Ignored);
    std::filesystem::remove_all(dir_, Ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

 private:
  std::filesystem::path dir_, old_;
};

}  // namespace walkthrough
