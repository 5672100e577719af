#include "app/start_failure.h"

namespace axistune {

const char* DescribeStartFailure(QueueOpenError queueError, bool workerStarted) {
    if (queueError != QueueOpenError::kNone) {
        return DescribeQueueOpenError(queueError);
    }
    if (!workerStarted) {
        return "AxisTune could not start the thread that talks to the controller.";
    }
    return nullptr;
}

}  // namespace axistune
