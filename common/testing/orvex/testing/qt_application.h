// The one QApplication of a window test program, made on first use. Window
// tests run under the offscreen platform (QT_QPA_PLATFORM=offscreen, which
// CTest sets); run by hand, the program picks that platform itself.
#pragma once

#include <QApplication>

#include <cstdlib>

namespace orvex::testing {

inline QApplication &TestApplication() {
    static int argc = 1;
    static char name[] = "orvex-test";
    static char *argv[] = {name, nullptr};
    static QApplication *application = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *application;
}

} // namespace orvex::testing
