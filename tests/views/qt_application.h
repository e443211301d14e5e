#pragma once

#include <QApplication>

namespace nimbra::test {

// One QApplication for the whole test program, created on first use.
inline QApplication& qtApplication() {
    static int argc = 1;
    static char name[] = "views_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

}  // namespace nimbra::test
