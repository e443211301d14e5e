#pragma once

#include <QApplication>

namespace nimbra::testing {

// One QApplication for the whole test program, created on first use. It is never
// destroyed: at exit it would outlive Qt's own registries (the input devices that
// key events create), and tearing it down then crashes.
inline QApplication& qtApplication() {
    static int argc = 1;
    static char name[] = "views_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace nimbra::testing
