#include "qt_test_application.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new axistune::QtTestApplication);
    return RUN_ALL_TESTS();
}
