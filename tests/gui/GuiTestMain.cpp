#include <QApplication>
#include <gtest/gtest.h>

#include "platform/win/qt/QtLoopBackend.h"

// One QApplication and the Qt loop backend for all tests, as in the program.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    const auto loop = vortan::win::InstallQtLoopBackend();
    return RUN_ALL_TESTS();
}
