#include "platform/byte_queue.h"

namespace axistune {

const char* DescribeQueueOpenError(QueueOpenError error) {
    switch (error) {
        case QueueOpenError::kNone:
            return "The engine queue is open.";
        case QueueOpenError::kCreateFailed:
            return "AxisTune could not create its internal request queue.";
        case QueueOpenError::kNameTaken:
            return "Another program already uses AxisTune's request queue name. Close the other "
                   "program (or another copy of AxisTune) and start again.";
        case QueueOpenError::kWriteEndFailed:
            return "AxisTune could not connect to its internal request queue.";
        case QueueOpenError::kForeignClient:
            return "Another program connected to AxisTune's request queue, so AxisTune stops "
                   "rather than take requests from it.";
    }
    return "AxisTune's internal request queue failed.";
}

}  // namespace axistune
