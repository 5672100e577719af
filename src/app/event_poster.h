#pragma once

#include <cstdint>

namespace axistune {

// Posts (never sends) WM_USER with these values to the main window; callable from any thread.
class EventPoster {
  public:
    virtual void PostEvent(uintptr_t wParam, intptr_t lParam) = 0;

  protected:
    ~EventPoster() = default;
};

// wParam values of the main window's WM_USER.
constexpr uintptr_t kEngineEventMessage = 1000;

}  // namespace axistune
