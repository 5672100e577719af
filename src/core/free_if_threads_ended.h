#pragma once

namespace axistune {

// The one rule for a bounded stop: when every thread ended, the owners free their objects, in
// the order given; when one did not end within its bound, nothing it may still reach is freed
// under it: every object is left allocated until the process ends.
template <typename... Owners>
void FreeIfThreadsEnded(bool threadsEnded, Owners&... owners) {
    if (threadsEnded) {
        (owners.reset(), ...);
    } else {
        (static_cast<void>(owners.release()), ...);
    }
}

}  // namespace axistune
