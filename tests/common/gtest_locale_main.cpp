#include <clocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // A Qt program adopts the user's locale for the C library at start-up; the core
    // must give the same results whatever that locale is.
    std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
