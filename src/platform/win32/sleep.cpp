#include "platform/sleep.h"

#include <windows.h>

namespace axistune {

void SleepMilliseconds(uint32_t milliseconds) {
    Sleep(milliseconds);
}

}  // namespace axistune
