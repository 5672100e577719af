// What a window's client area shows on the screen, pixel by pixel, and the test of night mode's
// promise: nothing bright but red.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct Capture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top down
};

// Copies the client area of `window` (of any process) from the screen.
bool CaptureClient(HWND window, Capture* capture);

// Wine puts what a window painted on the screen a little later: a capture counts once the next
// one shows the same.
class SettledCapture {
  public:
    // One more capture; true once it equals the one before.
    bool Next(HWND window);
    const Capture& Result() const { return last_; }

  private:
    Capture last_;
};

// The pixels whose green or blue is above `limit` (of 255); `where` names the first few.
size_t CountBrightNonRed(const Capture& capture, int limit, std::string* where);

// The pixels whose red is above `limit`: text and marks that are there to be seen.
size_t CountLitRed(const Capture& capture, int limit);

// The capture as a .ppm picture, to look at when a check fails.
bool SavePicture(const Capture& capture, const std::wstring& path);

}  // namespace e2e
