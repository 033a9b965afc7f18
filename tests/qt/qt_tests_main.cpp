#include <QApplication>

#include "qt/qt_tests.h"

int main(int argc, char** argv) {
    // No window system: the tests need none, and no copy of the program may start discovery.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int failures =
        RunUiThreadTests(argc, argv) + RunMainWindowTests(argc, argv) + RunDialogTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
