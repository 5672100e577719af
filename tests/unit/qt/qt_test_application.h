#pragma once

#include <gtest/gtest.h>

#include <QApplication>

namespace axistune {

// The one QApplication of a Qt test program, made before the first test and kept to the end.
class QtTestApplication : public ::testing::Environment {
  public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "qt_ui_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) {
            application_ = new QApplication(argc, argv);
        }
    }
    // Left to the process's end: Qt's own objects may still refer to it at exit.

  private:
    QApplication* application_ = nullptr;
};

}  // namespace axistune
