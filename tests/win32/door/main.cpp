#include <gtest/gtest.h>

#include "door_child.h"

int main(int argc, char** argv) {
    int exitCode = 0;
    if (RunDoorChild(argc, argv, &exitCode)) {
        return exitCode;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
