// wendaro: the desktop program.
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/settings_path.h"
#include "core/types.h"
#include "qt/gui_arguments.h"
#include "qt/icons.h"
#include "qt/main_window.h"
#include "qt/qt_text.h"
#include "qt/qt_translations.h"
#include "qt/single_instance.h"
#include "qt/stop_signals.h"
#include "ui/controller/listening_ports.h"
#include "util/descriptor_limit.h"
#include "util/memory_release.h"
#include "util/trace.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNoDisplay = 3;
constexpr int kExitCannotStart = 4;

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

// Why this copy cannot run, where the user sees it: a desktop start has no terminal.
int CannotStart(const QString& reason) {
    std::fprintf(stderr, "wendaro: %s\n", qPrintable(reason));
    QMessageBox::critical(nullptr, qtui::Tr(ui::StringId::ProductName), reason);
    return kExitCannotStart;
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
    // Answered before anything starts: no window, no network.
    if (arguments.version) {
        std::printf("wendaro %s\n", WENDARO_VERSION);
        return kExitOk;
    }
    if (arguments.help) {
        const std::string usage = qtui::GuiUsage(
            utilcpp::ResolveSettingsPath(arguments.configFile, utilcpp::ExecutablePath()));
        std::fputs(usage.c_str(), stdout);
        return kExitOk;
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
    // Every window and dialog of the program, the wizards included, carries its icon.
    QApplication::setWindowIcon(qtui::ApplicationIcon());
    if (ui::CurrentLanguage() != ui::Language::English &&
        qtui::LoadQtTranslations(ui::CurrentLanguage()) == nullptr) {
        std::fprintf(stderr,
                     "wendaro: Qt's own translations for \"%s\" are not installed "
                     "(qt6-translations-l10n); its dialog buttons stay in English.\n",
                     ui::LanguageCode(ui::CurrentLanguage()));
    }
    const std::string settingsFile =
        utilcpp::ResolveSettingsPath(arguments.configFile, utilcpp::ExecutablePath());

    qtui::SingleInstance instance(QString::fromStdString(settingsFile));
    switch (instance.Claim()) {
        case qtui::SingleInstance::Outcome::First:
            break;
        case qtui::SingleInstance::Outcome::OtherRaised:
            return kExitOk;
        case qtui::SingleInstance::Outcome::Failed:
            return CannotStart(instance.Error());
    }
    if (const auto taken = ui::TakenPortMessage({kRequestPort, kChatPort})) {
        return CannotStart(qtui::ToQt(*taken));
    }
    // Before any network thread starts, so that none of them inherits a different handling.
    qtui::StopSignals stopSignals;
    // A peer that resets a connection must not end the program.
    std::signal(SIGPIPE, SIG_IGN);

    qtui::MainWindow window(
        {settingsFile, arguments.debugFeatures, utilcpp::ResolveDownloadStatePath(settingsFile)},
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
