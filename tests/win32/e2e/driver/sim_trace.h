// The trace that dxsim writes with --trace-file, read while it grows: what the controller
// received from the program (host lines) and what happened on its line (notes).
//
// A trace line is "HH:MM:SS.mmm TAG BODY": TAG is "host>" for a frame the controller received
// (BODY = its bytes in hex, two blanks, what the controller made of it), "<profile><" for a reply
// and "--" for a note.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct TraceLine {
    enum class Kind { kHost, kDevice, kNote };
    Kind kind;
    std::string time;
    std::string hex;   // host and device lines: "AA 01 01"
    std::string text;  // what follows the bytes, or the note
};

// Splits one trace line; false for a line that has no tag.
bool ParseTraceLine(const std::string& line, TraceLine* out);

class SimTrace {
  public:
    explicit SimTrace(std::wstring path) : path_(std::move(path)) {}

    const std::wstring& path() const { return path_; }

    // Every complete line written so far.
    std::vector<TraceLine> Lines() const;
    // A position in the trace: the number of complete lines written so far.
    size_t Mark() const { return Lines().size(); }

    // The frames the controller received after `mark`, each as hex ("AA 03 21 00 C0").
    std::vector<std::string> HostFramesSince(size_t mark) const;
    // Waits until at least `count` frames arrived after `mark`, then until no new frame has come
    // for `quietMs`; returns every frame after `mark` (fewer when the time ran out).
    std::vector<std::string> WaitForFrames(size_t mark, size_t count, uint32_t timeoutMs,
                                           uint32_t quietMs = 200) const;
    // Waits for a note after `mark` that contains `part`.
    bool WaitForNote(size_t mark, const std::string& part, uint32_t timeoutMs) const;
    // The whole trace as written, for failure messages.
    std::string Dump() const;

  private:
    std::string ReadAll() const;

    std::wstring path_;
};

}  // namespace e2e
