#pragma once

#include <string>
#include <utility>

namespace axistune {

// The windows remember whether night mode was on, per user and nothing else with it:
// Windows %LOCALAPPDATA%\AxisTune\night-mode.conf; elsewhere
// $XDG_CONFIG_HOME/axistune/night-mode.conf, by default ~/.config/axistune/night-mode.conf.
std::string NightModeChoicePath();

// Off when the file is missing, unreadable or says nothing.
bool ReadNightModeChoice(const std::string& path);

// False with the reason; the window goes on in the mode chosen all the same.
bool WriteNightModeChoice(const std::string& path, bool on, std::string* error);

// Stores each switch at `path`. The first store that fails returns what to tell the user, once
// per run; every other store returns nothing.
class NightModeChoiceKeeper {
  public:
    explicit NightModeChoiceKeeper(std::string path) : path_(std::move(path)) {}
    std::string Keep(bool on);

  private:
    std::string path_;
    bool told_ = false;
};

}  // namespace axistune
