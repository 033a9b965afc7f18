#include "diagnosis/port_owners.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace diagnosis {

namespace {

constexpr const char* N_(const char* text) {
    return text;
}

// A socket listening in the TCP table; the UDP table has no such state.
constexpr std::string_view kTcpListen = "0A";
// /proc holds a few hundred processes on a desktop; a bound keeps a broken /proc from holding us.
constexpr std::size_t kMaxProcesses = 100'000;
constexpr std::size_t kMaxDescriptorsPerProcess = 65'536;

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string PortName(const PortUse& use) {
    return std::to_string(use.port) + (use.udp ? "/udp" : "/tcp");
}

std::string OwnerNames(const std::vector<ProcessRef>& owners) {
    std::string names;
    for (const ProcessRef& owner : owners) {
        if (IsOurProcess(owner)) continue;
        if (!names.empty()) names += ", ";
        names += owner.name + " (" + std::to_string(owner.pid) + ")";
    }
    return names;
}

}  // namespace

std::vector<unsigned long> SocketInodesOnPort(std::string_view table, std::uint16_t port,
                                              bool tcp) {
    std::vector<unsigned long> inodes;
    std::size_t start = 0;
    while (start < table.size()) {
        std::size_t end = table.find('\n', start);
        if (end == std::string_view::npos) end = table.size();
        const auto fields = SplitFields(table.substr(start, end - start));
        start = end + 1;
        // sl local_address rem_address st tx:rx tr:when retrnsmt uid timeout inode ...
        if (fields.size() < 10) continue;
        const std::string_view local = fields[1];
        const std::size_t colon = local.rfind(':');
        if (colon == std::string_view::npos) continue;
        unsigned localPort = 0;
        const std::string_view portText = local.substr(colon + 1);
        if (std::from_chars(portText.data(), portText.data() + portText.size(), localPort, 16).ec !=
                std::errc{} ||
            localPort != port) {
            continue;
        }
        if (tcp && fields[3] != kTcpListen) continue;
        unsigned long inode = 0;
        if (std::from_chars(fields[9].data(), fields[9].data() + fields[9].size(), inode).ec ==
                std::errc{} &&
            inode != 0) {
            inodes.push_back(inode);
        }
    }
    return inodes;
}

std::vector<ProcessRef> ProcessesHoldingSockets(const std::vector<unsigned long>& inodes,
                                                const std::string& procRoot) {
    std::vector<ProcessRef> owners;
    if (inodes.empty()) return owners;
    std::vector<std::string> wanted;
    wanted.reserve(inodes.size());
    for (unsigned long inode : inodes) wanted.push_back("socket:[" + std::to_string(inode) + "]");

    const std::unique_ptr<DIR, int (*)(DIR*)> processes(::opendir(procRoot.c_str()), ::closedir);
    if (!processes) return owners;
    std::size_t seen = 0;
    while (const dirent* process = ::readdir(processes.get())) {
        if (++seen > kMaxProcesses) break;
        const std::string_view pidText = process->d_name;
        int pid = 0;
        if (std::from_chars(pidText.data(), pidText.data() + pidText.size(), pid).ec !=
                std::errc{} ||
            pid <= 0) {
            continue;
        }
        const std::string fdFolder = procRoot + "/" + std::string(pidText) + "/fd";
        const std::unique_ptr<DIR, int (*)(DIR*)> descriptors(::opendir(fdFolder.c_str()),
                                                              ::closedir);
        if (!descriptors) continue;
        std::size_t count = 0;
        bool holds = false;
        while (const dirent* descriptor = ::readdir(descriptors.get())) {
            if (++count > kMaxDescriptorsPerProcess) break;
            if (descriptor->d_name[0] == '.') continue;
            std::array<char, 64> target{};
            const ssize_t length = ::readlink((fdFolder + "/" + descriptor->d_name).c_str(),
                                              target.data(), target.size() - 1);
            if (length <= 0) continue;
            const std::string_view link(target.data(), static_cast<std::size_t>(length));
            if (std::find(wanted.begin(), wanted.end(), link) != wanted.end()) {
                holds = true;
                break;
            }
        }
        if (!holds) continue;
        std::string name = ReadWholeFile(procRoot + "/" + std::string(pidText) + "/comm");
        while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
        owners.push_back({pid, name.empty() ? "?" : name});
    }
    return owners;
}

PortUse ReadPortUse(std::uint16_t port, bool udp) {
    PortUse use;
    use.port = port;
    use.udp = udp;
    std::vector<unsigned long> inodes;
    for (const char* table : udp ? std::array{"/proc/net/udp", "/proc/net/udp6"}
                                 : std::array{"/proc/net/tcp", "/proc/net/tcp6"}) {
        const auto found = SocketInodesOnPort(ReadWholeFile(table), port, !udp);
        inodes.insert(inodes.end(), found.begin(), found.end());
    }
    use.bound = !inodes.empty();
    use.owners = ProcessesHoldingSockets(inodes, "/proc");
    return use;
}

bool IsOurProcess(const ProcessRef& process) {
    return process.name == "wendaro" || process.name == "wendaro-cli";
}

Finding JudgePorts(const std::vector<PortUse>& uses, bool& taken) {
    Finding finding;
    finding.title = {N_("Ports 12345/udp, 12346/tcp and 12347/tcp"), {}};
    taken = false;
    bool anyOurs = false;
    bool anyFree = false;
    const PortUse* takenUse = nullptr;
    for (const PortUse& use : uses) {
        std::string line = PortName(use) + ": ";
        const bool ours = std::any_of(use.owners.begin(), use.owners.end(), IsOurProcess);
        const bool others =
            std::any_of(use.owners.begin(), use.owners.end(),
                        [](const ProcessRef& owner) { return !IsOurProcess(owner); });
        if (!use.bound) {
            line += "free";
            anyFree = true;
        } else if (ours) {
            line += "Wendaro";
            anyOurs = true;
            if (others) line += ", shared with " + OwnerNames(use.owners);
        } else if (others) {
            line += OwnerNames(use.owners);
            if (takenUse == nullptr) takenUse = &use;
        } else {
            line += "a program this user cannot see";
            if (takenUse == nullptr) takenUse = &use;
        }
        finding.details.push_back(line);
    }
    if (takenUse != nullptr) {
        taken = true;
        finding.mark = Mark::Problem;
        const std::string who = takenUse->owners.empty() ? std::string("another user's program")
                                                         : OwnerNames(takenUse->owners);
        finding.summary = {N_("Port %s is used by another program: %s."),
                           {PortName(*takenUse), who}};
        finding.fix = {
            N_("Quit that program or move it to another port, then start Wendaro again."), {}};
    } else if (anyOurs && !anyFree) {
        finding.summary = {N_("Wendaro is running here and holds its ports."), {}};
    } else if (anyOurs) {
        finding.mark = Mark::Warning;
        finding.summary = {N_("Wendaro runs here but does not hold all of its ports."), {}};
        finding.fix = {N_("Quit Wendaro and start it again."), {}};
    } else {
        finding.mark = Mark::Warning;
        finding.summary = {N_("Wendaro is not running on this computer: the others cannot see it."),
                           {}};
        finding.fix = {N_("Start Wendaro on this computer too."), {}};
    }
    return finding;
}

}  // namespace diagnosis
