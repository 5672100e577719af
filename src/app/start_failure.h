#pragma once

#include "platform/byte_queue.h"

namespace axistune {

// Why the engine cannot serve the window, in words for the user; null when its queue is open and
// its worker runs. Either failure leaves every request unread, so the program must not go on.
const char* DescribeStartFailure(QueueOpenError queueError, bool workerStarted);

}  // namespace axistune
