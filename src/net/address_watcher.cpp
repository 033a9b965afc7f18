#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "net/interfaces.h"
#include "util/error_text.h"
#include "util/trace.h"

namespace net {

AddressChangeWatcher::AddressChangeWatcher() = default;

AddressChangeWatcher::~AddressChangeWatcher() {
    if (fd_ >= 0) ::close(fd_);
}

bool AddressChangeWatcher::Arm() {
    if (fd_ >= 0) return true;
    const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) {
        XUTIL_DIAG("cannot open a route socket: %s\n", util::ErrorText(errno).c_str());
        return false;
    }
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_IPV4_IFADDR;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        XUTIL_DIAG("cannot watch the address list: %s\n", util::ErrorText(errno).c_str());
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool AddressChangeWatcher::CheckChanged() {
    if (fd_ < 0) return false;
    bool changed = false;
    // Drain everything queued so that one burst of changes reports once.
    alignas(nlmsghdr) std::array<char, 8192> buffer{};
    for (;;) {
        const ssize_t got = ::recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && errno == ENOBUFS) {
            // The kernel dropped notifications: something changed, we cannot tell what.
            changed = true;
            continue;
        }
        if (got <= 0) break;
        auto remaining = static_cast<unsigned>(got);
        for (auto* header = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(header, remaining);
             header = NLMSG_NEXT(header, remaining)) {
            if (header->nlmsg_type == RTM_NEWADDR || header->nlmsg_type == RTM_DELADDR) {
                changed = true;
            }
        }
    }
    return changed;
}

}  // namespace net
