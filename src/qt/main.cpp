// wendaro: the desktop program.
#include <QApplication>
#include <QGuiApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/settings_path.h"
#include "qt/gui_arguments.h"
#include "qt/main_window.h"
#include "qt/single_instance.h"
#include "qt/stop_signals.h"
#include "util/descriptor_limit.h"
#include "util/memory_release.h"
#include "util/trace.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNoDisplay = 3;

constexpr const char* kNoDisplayLine =
    "wendaro: no display (DISPLAY is not set or cannot be reached); start it from a desktop "
    "session, or run 'wendaro-cli serve' for a host without a screen.\n";

// Qt ends the process when its window system cannot be reached; until the application stands,
// that ending is one line that says what to do instead of a core dump. Qt's own warnings of that
// time are held back and shown only when the start succeeds.
QStringList g_startupWarnings;

void StartupMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        g_startupWarnings << message;
        return;
    }
    std::fputs(kNoDisplayLine, stderr);
    std::_Exit(kExitNoDisplay);
}

bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

int main(int argc, char** argv) {
    util::ReturnLargeBlocksWhenFreed();
    util::RaiseDescriptorLimit();
    const std::vector<std::string> args(argv + 1, argv + argc);
    const qtui::GuiArguments arguments = qtui::ParseGuiArguments(args);
    if (!arguments.error.empty()) {
        std::fprintf(stderr, "wendaro: %s\n", arguments.error.c_str());
        return kExitUsage;
    }
    if (!HasDisplay()) {
        std::fputs(kNoDisplayLine, stderr);
        return kExitNoDisplay;
    }
    xUtilTraceInit(argc, argv);

    qInstallMessageHandler(StartupMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString& warning : g_startupWarnings)
        std::fprintf(stderr, "%s\n", qPrintable(warning));
    QApplication::setApplicationName(QStringLiteral("wendaro"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.wendaro.Wendaro"));
    const std::string settingsFile =
        utilcpp::ResolveSettingsPath(arguments.configFile, utilcpp::ExecutablePath());

    qtui::SingleInstance instance(QString::fromStdString(settingsFile));
    if (!instance.Claim()) return kExitOk;
    // Before any network thread starts, so that none of them inherits a different handling.
    qtui::StopSignals stopSignals;
    // A peer that resets a connection must not end the program.
    std::signal(SIGPIPE, SIG_IGN);

    qtui::MainWindow window({settingsFile, arguments.debugFeatures},
                            ui::OwnedNetworkFactory(ui::NetworkOptions{}));
    QObject::connect(&instance, &qtui::SingleInstance::raiseRequested, &window,
                     &qtui::MainWindow::Raise);
    QObject::connect(&stopSignals, &qtui::StopSignals::stopRequested, &window,
                     &qtui::MainWindow::EndSession);
    if (!window.ShowStartDialogs()) {
        xUtilTraceClose();
        return kExitOk;
    }
    window.RestoreLayoutAndShow();
    const int status = app.exec();
    xUtilTraceClose();
    return status == 0 ? kExitOk : status;
}
