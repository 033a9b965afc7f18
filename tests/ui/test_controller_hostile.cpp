// What other hosts may put in front of the user: texts that garble or swamp the views, names
// that pass for others, questions that come faster than anyone can answer, and a session that
// ends while a command waits for the user.
#include "ui/controller/chat_history.h"
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
