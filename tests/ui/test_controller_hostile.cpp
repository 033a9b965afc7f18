// What other hosts may put in front of the user: texts that garble or swamp the views, names
// that pass for others, questions that come faster than anyone can answer, and a session that
// ends while a command waits for the user.
#include <fstream>
#include <future>
#include <thread>

#include "ui/controller/chat_history.h"
#include "ui/controller/host_lookup.h"
#include "ui/controller/permission_questions.h"
#include "ui/controller/shown_text.h"
#include "ui/fakes_controller.h"

namespace {

using namespace fakes;
using ui::Answer;

bool HasLineBreak(const std::string& line) {
    return line.find_first_of("\r\n") != std::string::npos ||
           line.find("\xE2\x80\xA9") != std::string::npos;
}

// A text of line breaks made a block per break in the history widget, which the history's
// trimming (one line per text) never removed, and a 1 MiB text held the window for minutes.
TEST_F(ControllerTest, ChatTextsBecomeOneShortLineAndTheHistoryStaysBounded) {
    controller->OnChatMessage(Ip("192.168.1.9"), "two\nlines\r\nand\xE2\x80\xA9para");
    EXPECT_EQ(views.user.chatLines.back(), "192.168.1.9: two?lines??and?para");
    const std::string flood(1 << 20, '\n');
    for (int i = 0; i < 40; ++i) controller->OnChatMessage(Ip("192.168.1.9"), flood);
    std::size_t shown = 0;
    for (const std::string& line : views.user.chatLines) {
        EXPECT_FALSE(HasLineBreak(line));
        EXPECT_LE(line.size(), ui::kMaxShownChatText + 64);
        shown += line.size() + 2;
    }
    EXPECT_LE(shown, ui::ChatHistory::kMaxLength + ui::kMaxShownChatText + 64);
    const std::string note = " [cut: " + std::to_string((1 << 20) - 4096) + " more bytes]";
    EXPECT_TRUE(views.user.chatLines.back() ==
                "192.168.1.9: " + std::string(ui::kMaxShownChatText, '?') + note);
    // A cut never splits a character: 1,365 whole euro signs of three bytes fit.
    std::string euros;
    for (int i = 0; i < 2000; ++i) euros += "\xE2\x82\xAC";
    const std::string cut = ui::ShownChatText(euros);
    EXPECT_EQ(cut.find(" [cut: "), 4095u);
    EXPECT_EQ(cut.compare(0, 4095, euros, 0, 4095), 0);
}

// "evil\u202Egpj.exe" read "evilexe.jpg" wherever a view showed it.
TEST_F(ControllerTest, BidiControlsInNamesAndTextsAreShownAsMarksInEveryView) {
    const std::string rlo = "\xE2\x80\xAE", lri = "\xE2\x81\xA6", lrm = "\xE2\x80\x8E";
    AppearHost("127.0.0.5", "evil" + rlo + "gpj.exe");
    EXPECT_TRUE(views.tree.Has("evil?gpj.exe"));
    DeliverListing("127.0.0.5", "\\", {Folder("Mu" + lri + "sic")});
    DeliverListing("127.0.0.5", "\\Mu" + lri + "sic\\", {File("a" + lrm + "b.txt")});
    EXPECT_TRUE(views.tree.Has("Mu?sic"));
    Show("Mu?sic");
    EXPECT_EQ(views.files.Names(), Lines{"a?b.txt"});
    views.user.folderAnswer = sandbox.MakeFolder("target");
    SelectRows({"a?b.txt"});
    controller->Download(false);
    EXPECT_EQ(views.transfers.Column(0), Lines{"a?b.txt"});
    EXPECT_EQ(views.transfers.Column(2), Lines{"evil?gpj.exe"});
    controller->OnChatMessage(Ip("127.0.0.5"), "see " + rlo + "fdp.exe");
    EXPECT_EQ(views.user.chatLines.back(), "evil?gpj.exe: see ?fdp.exe");
}

}  // namespace

namespace {

using ui::AddHostOutcome;

// The lookup used to run in a nested event loop of the window, which could end the session and
// free the network under it; now the controller owns it and answers on its timer.
TEST_F(ControllerTest, AddHostLooksTheNameUpAwayFromTheUiThreadAndAnswersOnlyWhileRunning) {
    resolver = [](const std::string& text, Ipv4& out) {
        out = Ip("127.0.0.9");
        return text == "kitchen";
    };
    StartController();
    std::vector<AddHostOutcome> outcomes;
    const auto record = [&](AddHostOutcome outcome) { outcomes.push_back(outcome); };
    const auto awaitOutcome = [&] {
        const std::size_t before = outcomes.size();
        for (int i = 0; i < 2000 && outcomes.size() == before; ++i) {
            controller->OnTenthSecondTimer();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    EXPECT_FALSE(controller->StartAddHost("", record));
    ASSERT_TRUE(controller->StartAddHost("nowhere", record));
    awaitOutcome();
    EXPECT_EQ(outcomes, std::vector{AddHostOutcome::Unresolved});
    EXPECT_EQ(Setting("global", "hostmruentry1"), "");
    ASSERT_TRUE(controller->StartAddHost("kitchen", record));
    awaitOutcome();
    EXPECT_EQ(outcomes.back(), AddHostOutcome::Accepted);
    EXPECT_EQ(network->addedHosts.back(), "manual 127.0.0.9 kitchen");
    EXPECT_EQ(Setting("global", "hostmruentry1"), "kitchen");

    // A lookup that hangs gives up at the limit; one still running when the session ends is
    // dropped unanswered, and none starts after it.
    std::promise<void> release;
    resolver = [released = release.get_future().share()](const std::string&, Ipv4&) {
        released.wait();
        return true;
    };
    StartController();
    outcomes.clear();
    ASSERT_TRUE(controller->StartAddHost("slow", record));
    controller->OnTenthSecondTimer();
    EXPECT_TRUE(outcomes.empty());
    views.user.now += ui::kHostLookupLimitMs;
    controller->OnTenthSecondTimer();
    EXPECT_EQ(outcomes, std::vector{AddHostOutcome::Unresolved});
    ASSERT_TRUE(controller->StartAddHost("slow", record));
    controller->Shutdown();
    views.user.now += ui::kHostLookupLimitMs;
    controller->OnTenthSecondTimer();
    EXPECT_FALSE(controller->StartAddHost("slow", record));
    EXPECT_EQ(outcomes.size(), 1u);
    release.set_value();
}

// A question or the folder browser is a nested event loop in the GUI, and the session may end
// inside it (SIGTERM, logout): the command must then stop where it stands.
TEST_F(ControllerTest, CommandsDoNothingOnceTheSessionEndedWhileTheyWaitedForTheUser) {
    MusicHost();
    views.user.folderAnswer = sandbox.MakeFolder("target");
    std::ofstream(sandbox.Path("target/top.txt")) << "old";
    views.user.whileAsking = [&] { controller->Shutdown(); };
    views.user.answers = {Answer::Yes};
    SelectRows({"top.txt"});
    controller->Download(false);
    EXPECT_EQ(views.user.questions.size(), 1u);
    EXPECT_TRUE(views.transfers.rows.empty());
    for (const auto command :
         {&ui::CLumvaleDialog::Refresh, &ui::CLumvaleDialog::SendChat,
          &ui::CLumvaleDialog::SelectParent, &ui::CLumvaleDialog::RemoveSelectedHost,
          &ui::CLumvaleDialog::NotifyHostsModified, &ui::CLumvaleDialog::FillFileList}) {
        ((*controller).*command)();
    }
    controller->Download(false);
    EXPECT_FALSE(controller->GetMenuState().download);

    StartController();
    views.user.answers = {Answer::Yes};
    EXPECT_FALSE(controller->OnDownloadRequest(Ip("127.0.0.8")));
}

}  // namespace

namespace {

// Thirty unknown addresses asking in turn kept a modal question open without end.
TEST_F(ControllerTest, AStormOfUnknownHostsGetsAFewQuestionsAMinuteAndTheRestAreCounted) {
    int allowed = 0;
    for (int i = 1; i <= 30; ++i) {
        allowed += controller->OnDownloadRequest(Ip(("10.0.0." + std::to_string(i)).c_str()));
    }
    EXPECT_EQ(allowed, 0);
    EXPECT_EQ(views.user.questions.size(), ui::PermissionQuestions::kPerMinute);
    EXPECT_EQ(views.user.lastButtons, ui::PromptButtons::YesNoRefuseAll);
    EXPECT_EQ(views.user.refusalNote, "Download requests from unknown hosts refused: 27");
    // A minute later one may ask again; "refuse all" ends the questions for the session.
    views.user.now += ui::PermissionQuestions::kMinuteMs;
    views.user.answers = {Answer::NoToAll};
    EXPECT_FALSE(controller->OnDownloadRequest(Ip("10.0.1.1")));
    views.user.now += 10 * ui::PermissionQuestions::kMinuteMs;
    EXPECT_FALSE(controller->OnDownloadRequest(Ip("10.0.1.2")));
    EXPECT_EQ(views.user.questions.size(), ui::PermissionQuestions::kPerMinute + 1);
    EXPECT_EQ(views.user.refusalNote, "Download requests from unknown hosts refused: 28");
    AppearHost("127.0.0.5");  // known hosts are never asked about
    EXPECT_TRUE(controller->OnDownloadRequest(Ip("127.0.0.5")));
}

// A server that lets unknown hosts in by its settings refused the fourth download of a minute.
TEST_F(ControllerTest, AnswersFromSettingsAreNotHeldBack) {
    views.user.asksAPerson = false;
    views.user.answers.assign(30, Answer::Yes);
    int allowed = 0;
    for (int i = 1; i <= 30; ++i) {
        allowed += controller->OnDownloadRequest(Ip(("10.0.0." + std::to_string(i)).c_str()));
    }
    EXPECT_EQ(allowed, 30);
    EXPECT_TRUE(views.user.refusalNote.empty());
    // Let in, a host is listed like one added by hand, and not asked about again.
    EXPECT_EQ(network->addedHosts.back(), "manual 10.0.0.30 ");
    EXPECT_TRUE(controller->OnDownloadRequest(Ip("10.0.0.30")));
    EXPECT_EQ(views.user.questions.size(), 30u);
    // A refusal by the settings still holds the host off without asking again.
    views.user.answers = {Answer::No};
    EXPECT_FALSE(controller->OnDownloadRequest(Ip("10.0.2.1")));
    EXPECT_FALSE(controller->OnDownloadRequest(Ip("10.0.2.1")));
    EXPECT_EQ(views.user.questions.size(), 31u);
}

}  // namespace

namespace {

// A second "Beta" looked like the first in the tree and the chat.
TEST_F(ControllerTest, HostsOfOneNameAreShownWithTheirAddressesInTheTreeAndTheChat) {
    AppearHost("127.0.0.5", "Beta");
    AppearHost("127.0.0.7", "Gamma");
    EXPECT_TRUE(views.tree.Has("Beta"));
    AppearHost("127.0.0.6", "Beta ");
    EXPECT_TRUE(views.tree.Has("Beta (127.0.0.5)"));
    EXPECT_TRUE(views.tree.Has("Beta  (127.0.0.6)"));
    EXPECT_TRUE(views.tree.Has("Gamma"));
    controller->OnChatMessage(Ip("127.0.0.6"), "hi");
    EXPECT_EQ(views.user.chatLines.back(), "Beta  (127.0.0.6): hi");
    network->RemoveHost(Ip("127.0.0.6"));
    EXPECT_TRUE(views.tree.Has("Beta"));
}

}  // namespace
