// Runs a program that only reports (e.g. a firewall's listing) and returns what it printed,
// bounded in time and size: a hung or chatty program cannot hold the diagnosis.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "util/result.h"

namespace diagnosis {

// The program's standard output when it ran and exited with status 0. Otherwise an error whose
// detail is its first line of standard error, or why it could not run.
[[nodiscard]] util::Result<std::string> ReadCommandOutput(const std::vector<std::string>& argv,
                                                          std::chrono::milliseconds timeout,
                                                          std::size_t maxBytes);

}  // namespace diagnosis
