#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sim/controller_model.h"

// A controller on a raw pseudo-terminal that answers like dxsim until it is told to stop
// reading; from then on whatever the host writes stays in the line until it is full, so the
// host's frame writes block. The test also holds the host's side of the line, which lets it
// fill the line itself and keeps the master from reporting a hang-up.
class StallingController {
  public:
    explicit StallingController(const std::string& profile);
    ~StallingController();
    StallingController(const StallingController&) = delete;
    StallingController& operator=(const StallingController&) = delete;

    // Opens the line and starts answering. False when no pseudo-terminal could be had.
    bool Start();
    const std::string& HostPath() const { return hostPath_; }

    // The controller stops reading (and answering); the bytes already read are kept.
    void StopReading();
    // Fills the host-to-controller direction until nothing more fits and stays so; the
    // number of filler bytes (never 0xAA) written.
    size_t FillLine();
    // Reads what the host wrote until nothing came for quietMs (or maxMs in all); the bytes
    // read before StopReading come first.
    std::vector<uint8_t> Drain(int quietMs, int maxMs);

    // Every byte the controller read (before StopReading and in Drain).
    std::vector<uint8_t> Received() const;

  private:
    void Serve();

    std::unique_ptr<dxsim::ControllerModel> model_;
    int master_ = -1;
    int hostSide_ = -1;
    int wake_[2] = {-1, -1};
    std::string hostPath_;
    std::atomic<bool> serving_{false};
    std::thread thread_;
    std::vector<uint8_t> received_;
};

// The SetCurrent frames (AA 05 33 00 selector value) in a byte stream, their values in order.
std::vector<uint16_t> SetCurrentValues(const std::vector<uint8_t>& bytes, uint8_t selector);
