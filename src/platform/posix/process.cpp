#include "platform/process.h"

#include <unistd.h>

namespace axistune {

uint32_t CurrentProcessId() {
    return static_cast<uint32_t>(getpid());
}

}  // namespace axistune
