#include <QApplication>

// The widget test suites, each defined in a file of its own, run one after the other.
int RunUiThreadTests(int argc, char** argv);
int RunMainWindowTests(int argc, char** argv);
int RunDialogTests(int argc, char** argv);
int RunReadableWindowTests(int argc, char** argv);

int main(int argc, char** argv) {
    // No window system: the tests need none, and no copy of the program may start discovery.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int failures = RunUiThreadTests(argc, argv) + RunMainWindowTests(argc, argv) +
                         RunDialogTests(argc, argv) + RunReadableWindowTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
