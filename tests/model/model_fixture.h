// Shared set-up of the model tests: a structure over a recording sink with a fake clock.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/net_structure.h"
#include "model/recording_tree_sink.h"

inline Ipv4 Address(const char* dotted) {
    in_addr raw{};
    inet_pton(AF_INET, dotted, &raw);
    return raw.s_addr;
}

inline DirEntry Folder(const std::string& name) {
    return DirEntry{name, 0, true};
}
inline DirEntry File(const std::string& name, std::int64_t size = 0) {
    return DirEntry{name, size, false};
}

class ModelTest : public ::testing::Test {
protected:
    ModelTest() : net(sink, &closing, [this] { return now; }) {}

    CNetNode* Node(Ipv4 address, const std::string& path) { return net.FindNode(address, path); }

    // A host "alpha" with share Music holding folder Live (with a.mp3 and Deep) and file x.txt.
    Ipv4 AddMusicHost() {
        const Ipv4 host = Address("10.0.0.2");
        net.AddHost(host, "alpha", HostKind::Discovered);
        net.SetListing(host, "\\", {Folder("Music")});
        net.SetListing(host, "\\Music\\", {Folder("Live"), File("x.txt", 3)});
        net.SetListing(host, "\\Music\\Live\\", {File("a.mp3", 7), Folder("Deep")});
        return host;
    }

    RecordingTreeSink sink;
    StopFlag closing{false};
    std::uint32_t now = 1000;
    CNetStructure net;
};
