#include <gtest/gtest.h>

#include <cstring>

#include "pipe_holder.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--hold-pipe") == 0) {
        return RunPipeHolder(argc, argv);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
