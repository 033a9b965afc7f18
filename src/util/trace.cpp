#include "util/trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "util/cmdline.h"
#include "util/text.h"

namespace {

constexpr int kDefaultLevel = 3;
constexpr std::size_t kMaxOutputs = 16;
constexpr int kPieceLevel = 1;

struct TraceState {
    std::mutex mutex;
    int level = kDefaultLevel;
    bool echo = false;
    std::vector<std::FILE*> outputs;
};

// Never destroyed: worker threads may still write while static destructors run at exit.
TraceState& State() {
    static TraceState* state = new TraceState;
    return *state;
}

void CloseOutputsLocked(TraceState& state) {
    for (std::FILE* output : state.outputs) std::fclose(output);
    state.outputs.clear();
}

void CloseOutputsAtExit() {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    CloseOutputsLocked(state);
}

void OpenOutputLocked(TraceState& state, const std::string& fileName) {
    if (state.outputs.size() >= kMaxOutputs) return;
    // Non-blocking so that a pipe without a reader is skipped instead of stalling start-up.
    int fd = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0 && errno == EINVAL) {
        fd = ::open(fileName.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd < 0) return;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* stream = ::fdopen(fd, "w");
    if (stream == nullptr) {
        ::close(fd);
        return;
    }
    state.outputs.push_back(stream);
}

// The items of the "debug" switch, else of the DEBUG variable; nothing when neither is given.
std::vector<std::string> TraceSettingItems(std::string_view commandLine) {
    XUtilOptionList options = xUtilParseCommandLine(commandLine);
    std::vector<std::string> items;
    if (const XUtilOption* debug = xUtilFindOption(options, "debug")) {
        items = debug->items;
    } else if (const char* environment = std::getenv("DEBUG")) {
        items = xUtilSplitItems(environment);
    }
    xUtilFreeOptions(options);
    return items;
}

void ConfigureLocked(TraceState& state, const std::vector<std::string>& settingItems) {
    std::size_t next = 0;
    if (!settingItems.empty()) {
        const std::string& first = settingItems.front();
        if (first == "0" || first == "1" || first == "2" || first == "3") {
            state.level = first[0] - '0';
            next = 1;
        }
    }
    if (next == settingItems.size()) {
        // There is no debug pipe here, so the default output is standard output alone.
        state.echo = true;
        return;
    }
    for (; next < settingItems.size(); ++next) {
        const std::string& item = settingItems[next];
        if (xUtilEqualsNoCase(item, "stdout")) {
            state.echo = true;
        } else if (!xUtilEqualsNoCase(item, "msdbg")) {
            OpenOutputLocked(state, item);
        }
    }
}

int WriteLocked(TraceState& state, int level, const char* text, std::size_t length) {
    if (level > state.level) return 0;
    int written = 0;
    const auto writeTo = [&](std::FILE* stream) {
        const std::size_t count = std::fwrite(text, 1, length, stream);
        std::fflush(stream);
        written = static_cast<int>(count);
    };
    if (state.echo) writeTo(stdout);
    for (std::FILE* output : state.outputs) writeTo(output);
    return written;
}

std::string FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

int WriteTextLocked(TraceState& state, const std::string& text) {
    return WriteLocked(state, kPieceLevel, text.data(), text.size());
}

std::string_view BaseName(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

void xUtilTraceInit(std::string_view commandLine) {
    static std::once_flag exitHandler;
    std::call_once(exitHandler, [] { std::atexit(CloseOutputsAtExit); });
    const std::vector<std::string> settingItems = TraceSettingItems(commandLine);
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    CloseOutputsLocked(state);
    state.level = kDefaultLevel;
    state.echo = false;
    ConfigureLocked(state, settingItems);
}

void xUtilTraceInit(int argc, const char* const* argv) {
    std::string commandLine;
    for (int i = 0; i < argc; ++i) {
        if (i > 0) commandLine += ' ';
        commandLine += argv[i];
    }
    xUtilTraceInit(commandLine);
}

void xUtilTraceClose() {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    CloseOutputsLocked(state);
    state.level = kDefaultLevel;
    state.echo = false;
}

int xUtilTraceLevel() {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    return state.level;
}

bool xUtilTraceEchoes() {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    return state.echo;
}

std::size_t xUtilTraceOutputCount() {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    return state.outputs.size();
}

int xUtilTrace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = FormatV(format, args);
    va_end(args);
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    return WriteTextLocked(state, text);
}

int xUtilTraceError(int errorCode) {
    char buffer[256] = {};
    // The GNU variant may return a static text instead of filling the buffer.
    const char* message = ::strerror_r(errorCode, buffer, sizeof buffer);
    return xUtilTrace("Error number %i: %s\n", errorCode, message);
}

int xUtilTraceLastError() {
    return xUtilTraceError(errno);
}

int xUtilTraceDiagnostic(const char* sourceFile, int line, std::string_view function,
                         const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string message = FormatV(format, args);
    va_end(args);
    const std::string pieces[] = {".\\" + std::string(BaseName(sourceFile)),
                                  "(",
                                  std::to_string(line),
                                  ") : ",
                                  std::string(function),
                                  "(): ",
                                  message};
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    int written = 0;
    for (const std::string& piece : pieces) written = WriteTextLocked(state, piece);
    return written;
}
