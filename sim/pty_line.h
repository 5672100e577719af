#pragma once

#include <cstdint>
#include <string>

namespace dxsim {

// One pseudo-terminal: the controller's end (the master, non-blocking) and the path of the
// host's end (the slave). The slave is put in raw mode; the host sets the rate it wants.
class PtyLine {
  public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    bool Open(std::string* error);
    void Close();
    bool IsOpen() const { return master_ >= 0; }
    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // The rate the host set on its end. 0 when it still has the rate the line was created
    // with (38400 on Linux), which is taken as "never set".
    uint32_t HostBaud() const;
    // Throws away bytes that wait for a host that has gone, so the next one starts clean, as a
    // real port's driver does when it is opened.
    void DiscardHostInput() const;

  private:
    int master_ = -1;
    std::string slavePath_;
    unsigned initialSpeed_ = 0;
};

// Rate in baud of a termios speed code, 0 if unknown.
uint32_t BaudOfSpeed(unsigned speedCode);
// Speed code of a rate, 0 if the rate has none.
unsigned SpeedOfBaud(uint32_t baud);

// Places a symbolic link at linkPath that points to target, replacing an old link there (never
// a regular file or a directory).
bool PlaceLink(const std::string& linkPath, const std::string& target, std::string* error);
// Removes the link if it still points to target.
void RemoveLink(const std::string& linkPath, const std::string& target);

}  // namespace dxsim
