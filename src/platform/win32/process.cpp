#include "platform/process.h"

#include <windows.h>

namespace axistune {

uint32_t CurrentProcessId() {
    return GetCurrentProcessId();
}

}  // namespace axistune
