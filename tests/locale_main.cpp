// The main of the tests that need no window: the C library's locale taken from the
// environment, as a program has it once Qt has started, so that a run under LANG=es_ES.UTF-8
// catches any number written or read through the locale.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
