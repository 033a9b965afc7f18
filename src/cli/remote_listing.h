// One "expand" of a remote folder, waited for on the main thread.
#pragma once

#include <string>
#include <vector>

#include "cli/client_session.h"

namespace cli {

enum class ListResult { Ok, Failed, TimedOut, Interrupted };

// `leftOut`, when given, counts the entries the host listed beyond the listing limit.
ListResult ListRemoteFolder(ClientSession& session, Ipv4 address, const std::string& path,
                            SignalWatch* signals, int timeoutSeconds,
                            std::vector<DirEntry>& listing, std::size_t* leftOut = nullptr);

// The warning for a listing that lacks `leftOut` entries the host listed.
std::string DescribeCutListing(std::size_t leftOut);

// The one-line message for a listing that did not arrive.
std::string DescribeListFailure(ListResult result, const std::string& host, const std::string& path,
                                int timeoutSeconds);

// A report that failed only after the idle limit had passed counts as the host's silence.
bool LooksTimedOut(std::chrono::steady_clock::time_point lastActivity, int timeoutSeconds);

}  // namespace cli
