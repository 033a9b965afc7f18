// What every command receives: the global options and the process's streams.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "core/types.h"

namespace cli {

struct GlobalOptions {
    std::string configFile;
    int timeoutSeconds = 30;
    // Hidden: tests run hosts on loopback with ports of their own.
    std::uint16_t requestPort = kRequestPort;
    std::uint16_t chatPort = kChatPort;
    std::uint16_t discoveryPort = kDiscoveryPort;
    // Hidden: folders come file by file even from a host with the stream, so that benchmarks
    // and tests can measure and check the common way against our own server.
    bool commonProtocol = false;
};

struct CommandContext {
    GlobalOptions options;
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    // Standard output is a terminal: progress bars instead of one line per file.
    bool outputIsTerminal = false;
    // Standard input and error are a terminal: questions can be asked.
    bool canAsk = false;

    // The settings file this run uses (--config, else the usual place).
    std::string SettingsFile() const;
    // "wendaro-cli: <message>" on the error stream; returns the failure exit code.
    int Fail(const std::string& message) const;
};

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

}  // namespace cli
