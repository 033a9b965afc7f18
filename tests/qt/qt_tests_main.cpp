#include <QApplication>

#include "qt/qt_tests.h"

int main(int argc, char** argv) {
    // No window system: the tests need none, and no copy of the program may start discovery.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int failures = 0;
    failures += RunDispatcherTests(argc, argv);
    failures += RunMainWindowTests(argc, argv);
    failures += RunHostLookupTests(argc, argv);
    failures += RunDialogTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
