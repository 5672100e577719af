#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

namespace dxsim {

// Receives one call per frame in each direction and a few line events. Called on the thread
// that runs the controller, under the server's lock.
class TraceSink {
  public:
    virtual ~TraceSink() = default;
    virtual void HostBytes(const uint8_t* bytes, size_t count, const std::string& what) = 0;
    virtual void DeviceBytes(const uint8_t* bytes, size_t count, const std::string& what) = 0;
    virtual void Note(const std::string& what) = 0;
};

// Writes the trace as text, one line per frame:
//   12:00:01.250 host> AA 01 01  READ_VERSION
//   12:00:01.251 dx5<  55 05 01 0C 00 01 00  version
class TextTrace : public TraceSink {
  public:
    // Milliseconds since midnight, local time; replaceable for tests.
    using Clock = std::function<int64_t()>;

    TextTrace(FILE* out, std::string deviceTag, Clock clock = nullptr);

    void HostBytes(const uint8_t* bytes, size_t count, const std::string& what) override;
    void DeviceBytes(const uint8_t* bytes, size_t count, const std::string& what) override;
    void Note(const std::string& what) override;

    static std::string FormatTime(int64_t msOfDay);
    static std::string Hex(const uint8_t* bytes, size_t count);
    static int64_t LocalMsOfDay();

  private:
    void Line(const std::string& tag, const std::string& body);

    FILE* out_;
    std::string hostTag_;
    std::string deviceTag_;
    std::string noteTag_;
    Clock clock_;
    std::mutex mutex_;
};

}  // namespace dxsim
