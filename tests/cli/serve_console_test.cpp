// What a serving host prints and answers: host and transfer lines in the formats that scripts
// read, the questions nobody is there to answer, and the chat lines read from input.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "cli/console_views.h"
#include "cli/stdin_lines.h"
#include "cli_test_support.h"
#include "model/net_structure.h"
#include "ui/controller/file_list_rows.h"

namespace {

Ipv4 Address(const char* dotted) {
    return inet_addr(dotted);
}

std::vector<std::string> TakeLines(std::ostringstream& out) {
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    out.str({});
    return lines;
}

TEST(ServeConsole, HostsComingNamedAndGoingAreOneLineEach) {
    std::ostringstream out;
    cli::ConsoleHostLines sink(out);
    StopFlag closing{false};
    auto model = std::make_unique<CNetStructure>(sink, &closing);
    const Ipv4 peer = Address("10.77.0.2");
    model->AddHost(Address("127.0.0.1"), "me", HostKind::LocalHost);
    model->AddHost(peer, "", HostKind::Discovered);
    // The hint shown while no other host is known is no host.
    sink.DeleteItem(sink.InsertItem("No other host found yet", kTreeRoot));
    EXPECT_EQ(TakeLines(out), (std::vector<std::string>{"host appeared: 127.0.0.1 me",
                                                        "host appeared: 10.77.0.2"}));

    std::size_t index = 0;
    ASSERT_TRUE(model->FindHost(peer, index));
    // A name cannot forge a second line.
    model->SetHostName(index, "pc-b\nhost gone: 1.2.3.4");
    model->RemoveHost(peer);
    EXPECT_EQ(TakeLines(out),
              (std::vector<std::string>{"host named: 10.77.0.2 pc-b?host gone: 1.2.3.4",
                                        "host gone: 10.77.0.2 pc-b?host gone: 1.2.3.4"}));
    // At shutdown the tree's items are left alone: no host is reported gone.
    model->AddHost(peer, "", HostKind::Discovered);
    TakeLines(out);
    closing = true;
    model.reset();
    EXPECT_TRUE(out.str().empty()) << out.str();
}

TEST(ServeConsole, TransferRowsBecomeStartedAndFinishedLines) {
    using ui::TransferState;
    std::ostringstream out;
    cli::ConsoleTransferLines list(out);
    // The lines follow the state alone, whatever language the status texts are in.
    list.AppendRow("/srv/a b.mp3", "Espera", "pc-b", ui::kImageUpload);
    list.AppendRow("Live", "Espera", "", ui::kImageDownload);
    list.AppendRow("/srv/c", "Espera", "10.77.0.2", ui::kImageUpload);
    list.SetStatus(0, "Enviar 50%", TransferState::Moving);
    list.SetStatus(1, "Recibir (1/3)", TransferState::Moving);
    list.SetStatus(0, "Terminado", TransferState::Finished);
    list.SetStatus(0, "Error", TransferState::Failed);  // a row ends once
    // A finished row goes; the rows behind it move up.
    list.DeleteRow(0);
    list.SetStatus(1, "Cancelado", TransferState::Cancelled);
    list.SetStatus(0, "Terminado", TransferState::Finished);
    EXPECT_EQ(TakeLines(out), (std::vector<std::string>{
                                  "upload started: /srv/a b.mp3 to pc-b",
                                  "download started: Live from unknown host",
                                  "upload finished: /srv/a b.mp3 to pc-b: ok",
                                  "upload finished: /srv/c to 10.77.0.2: failed",
                                  "download finished: Live from unknown host: ok",
                              }));
}

// allowunknown=0 and 1 are the end-to-end transfer test's; any other value, or none, lets no one
// in.
TEST(ServeConsole, OnlyAnUnknownHostMayBeLetInAndOnlyBySetting) {
    using ui::Question;
    testing_support::TempFolder temp;
    const std::string ini = temp.Path("w.ini");
    cli::SettingsPrompt prompt(ini);
    const auto yesNo = ui::PromptButtons::YesNo;
    EXPECT_EQ(prompt.Ask(Question::UnknownHostWantsDownload, "?", yesNo), ui::Answer::No);
    utilcpp::CParseini(ini).SetString("global", "allowunknown", "2");
    EXPECT_EQ(prompt.Ask(Question::UnknownHostWantsDownload, "?", yesNo), ui::Answer::No);
    utilcpp::CParseini(ini).SetString("global", "allowunknown", "1");
    EXPECT_EQ(prompt.Ask(Question::ExitWhileTransferring, "?", yesNo), ui::Answer::No);
}

TEST(ServeConsole, InputLinesAreSplitAcrossReadsAndCut) {
    cli::LineReader reader(4);
    EXPECT_TRUE(reader.Feed("hel", 3).empty());
    const std::string rest = "lo again\r\nxy\n\nlast";
    EXPECT_EQ(reader.Feed(rest.data(), rest.size()), (std::vector<std::string>{"hell", "xy", ""}));
    EXPECT_EQ(reader.Finish(), std::vector<std::string>{"last"});
    EXPECT_TRUE(reader.Finish().empty());
}

}  // namespace
