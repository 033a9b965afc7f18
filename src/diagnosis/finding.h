// What the diagnosis hands to its front ends: one finding per check and a verdict, as data. Texts
// are English templates marked for translation, with their arguments apart, so that each front end
// shows them in its own language.
#pragma once

#include <string>
#include <vector>

namespace diagnosis {

enum class Mark { Good, Warning, Problem };

// A text template ("%s" placeholders) and the arguments that fill it, in order.
struct Text {
    std::string format;
    std::vector<std::string> args;

    bool empty() const { return format.empty(); }
};

struct Finding {
    Text title;  // what was checked, e.g. "Network interfaces"
    Mark mark = Mark::Good;
    Text summary;  // what was found, one sentence
    Text fix;      // what to do about it; empty when nothing is to be done
    // Facts behind the summary, not translated: interface lines, process names, senders.
    std::vector<std::string> details;
};

// The most likely reason why a computer cannot be seen, in the order the verdict prefers them.
enum class Cause {
    None,          // all well
    NoNetwork,     // no interface up with an IPv4 address
    PortTaken,     // another program holds one of our ports here
    NoSuchHost,    // the name is unknown, or nothing answers at the address
    NoRoute,       // this computer has no way to the address
    NotRunning,    // the computer is there but its program is not running
    BlockedPort,   // one port answers, another does not: a firewall
    OtherProgram,  // something else answers on the request port
    OneWay,        // it answers, but its announcements do not reach us
    OtherSubnet,   // it answers from another subnet: announcements do not cross routers
    NothingHeard,  // no host named, and no other computer announces itself
};

// Stable short name of a cause for scripts and tests ("one-way", "blocked-port", ...).
const char* CauseKey(Cause cause);

struct Verdict {
    Cause cause = Cause::None;
    Text summary;
    Text fix;
};

struct Report {
    std::vector<Finding> findings;
    Verdict verdict;

    bool AllWell() const { return verdict.cause == Cause::None; }
};

}  // namespace diagnosis
