// The main of every test executable: a private temporary home, a headless
// Qt application, scripted dialogs.
#include "TestEnv.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace test_env {
void init_root();
void remove_root();
} // namespace test_env

int main(int argc, char** argv) {
    test_env::init_root();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const int r = RUN_ALL_TESTS();
    test_env::remove_root();
    return r;
}
