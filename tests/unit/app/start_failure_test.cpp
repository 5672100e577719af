#include <gtest/gtest.h>

#include <string>

#include "app/start_failure.h"

using namespace axistune;

namespace {

// The program goes on only when the engine can read its requests: an open queue alone is not
// enough, since nothing reads it without the worker.
TEST(StartFailure, EndsTheProgramUnlessQueueAndWorkerBothRun) {
    EXPECT_EQ(DescribeStartFailure(QueueOpenError::kNone, true), nullptr);

    const char* noWorker = DescribeStartFailure(QueueOpenError::kNone, false);
    ASSERT_NE(noWorker, nullptr);
    EXPECT_NE(std::string(noWorker).find("thread"), std::string::npos);

    const QueueOpenError queueErrors[] = {QueueOpenError::kCreateFailed, QueueOpenError::kNameTaken,
                                          QueueOpenError::kWriteEndFailed,
                                          QueueOpenError::kForeignClient};
    for (QueueOpenError error : queueErrors) {
        // The queue's own reason is the one shown, whatever became of the worker.
        for (bool workerStarted : {true, false}) {
            const char* text = DescribeStartFailure(error, workerStarted);
            ASSERT_NE(text, nullptr);
            EXPECT_STREQ(text, DescribeQueueOpenError(error));
        }
    }
}

}  // namespace
