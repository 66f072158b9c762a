// The test programs' entry: the headless backend chosen, then every test.
#include <gtest/gtest.h>

#include "tests/support/harness.h"

int main(int argc, char** argv) {
    test::UseHeadlessBackend();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
