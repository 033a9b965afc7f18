// File sends that meet a hostile or unusual situation: a peer that goes away in the middle of a
// zero-copy send, and a file name that turns out to be a named pipe.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

#include "net/framing.h"
#include "recording_listener.h"
#include "support/loopback.h"
#include "temp_folder.h"

namespace {

using net_test::RecordingListener;
using net_test::TempFolder;
using net_test::WriteFile;
using testing_support::MakeLoopbackPair;

// The zero-copy path cannot ask the kernel to hold back SIGPIPE the way send() can; the process
// must survive a peer that resets the connection anyway (a test binary has no handler either).
TEST(FileSendHazards, PeerResetDuringAZeroCopySendFailsWithoutKillingTheProcess) {
    TempFolder folder;
    WriteFile(folder.File("big.bin"), std::string(8 * 1024 * 1024, 'f'));
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    pair.server.reset();
    bool failed = false;
    for (int attempt = 0; attempt < 5 && !failed; ++attempt) {
        failed =
            !net::SendFile(pair.client.get(), folder.File("big.bin"), nullptr, nullptr, nullptr);
    }
    EXPECT_TRUE(failed);
}

// Opening a named pipe for reading waits for a writer that may never come; a send must refuse it
// at once instead of hanging past its stop flag.
TEST(FileSendHazards, NamedPipeIsRefusedWithoutWaitingForAWriter) {
    TempFolder folder;
    const std::string pipe = folder.File("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    StopFlag stop{false};
    RecordingListener events;
    auto send = std::async(std::launch::async, [&] {
        return net::SendFile(pair.client.get(), pipe, &stop, nullptr, &events);
    });
    const bool finished = send.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!finished) {
        // Release the stuck open so that the test ends; the assertion below reports the hang.
        stop = true;
        const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }
    EXPECT_TRUE(finished) << "SendFile blocked on the named pipe";
    EXPECT_FALSE(send.get());
    EXPECT_EQ(events.Shape(), "SE-");
    testing_support::ShutdownWrite(pair.client.get());
    EXPECT_EQ(testing_support::ReadRaw(pair.server.get()), "");
}

}  // namespace
