#include "diagnosis/verdict.h"

#include <gtest/gtest.h>

namespace diagnosis {
namespace {

HostFacts Visible() {
    HostFacts host;
    host.given = "beta";
    host.resolved = true;
    host.address = htonl(0x0A4D0002u);
    host.route = {true, htonl(0x0A4D0001u)};
    host.sameSubnet = true;
    host.heard = true;
    host.request = {PortAnswer::Answered, proto::HostInfo{"beta", "1.0", "", "", "Linux"}};
    host.chat = PortAnswer::Answered;
    return host;
}

Cause CauseOf(const HostFacts& host, LocalFacts local = {}) {
    return DecideVerdict(local, &host).cause;
}

TEST(DecideVerdict, EachScenarioHasItsCause) {
    EXPECT_EQ(CauseOf(Visible()), Cause::None);

    HostFacts oneWay = Visible();
    oneWay.heard = false;
    EXPECT_EQ(CauseOf(oneWay), Cause::OneWay);
    oneWay.sameSubnet = false;
    EXPECT_EQ(CauseOf(oneWay), Cause::OtherSubnet);

    HostFacts blocked = Visible();
    blocked.request = {PortAnswer::TimedOut, std::nullopt};
    EXPECT_EQ(CauseOf(blocked), Cause::BlockedPort);
    EXPECT_EQ(DecideVerdict({}, &blocked).summary.args[0], "12346/tcp");
    HostFacts chatBlocked = Visible();
    chatBlocked.chat = PortAnswer::Refused;
    EXPECT_EQ(CauseOf(chatBlocked), Cause::BlockedPort);
    EXPECT_EQ(DecideVerdict({}, &chatBlocked).summary.args[0], "12347/tcp");

    HostFacts stopped = Visible();
    stopped.heard = false;
    stopped.request = {PortAnswer::Refused, std::nullopt};
    stopped.chat = PortAnswer::Refused;
    EXPECT_EQ(CauseOf(stopped), Cause::NotRunning);

    HostFacts absent = stopped;
    absent.request = {PortAnswer::Unreachable, std::nullopt};
    absent.chat = PortAnswer::Unreachable;
    EXPECT_EQ(CauseOf(absent), Cause::NoSuchHost);
    absent.request.answer = absent.chat = PortAnswer::TimedOut;
    EXPECT_EQ(CauseOf(absent), Cause::NoSuchHost);

    HostFacts unknown;
    unknown.given = "nobody";
    EXPECT_EQ(CauseOf(unknown), Cause::NoSuchHost);
    HostFacts noRoute = Visible();
    noRoute.route.routed = false;
    EXPECT_EQ(CauseOf(noRoute), Cause::NoRoute);

    HostFacts impostor = Visible();
    impostor.request.info.reset();
    EXPECT_EQ(CauseOf(impostor), Cause::OtherProgram);
}

TEST(DecideVerdict, LocalTroubleComesFirst) {
    EXPECT_EQ(CauseOf(Visible(), {false, true, true}), Cause::PortTaken);
    EXPECT_EQ(CauseOf(Visible(), {true, false, true}), Cause::NoNetwork);
    EXPECT_EQ(DecideVerdict({false, false, false}, nullptr).cause, Cause::NothingHeard);
    EXPECT_EQ(DecideVerdict({false, false, true}, nullptr).cause, Cause::None);
}

TEST(JudgeHost, OneFindingPerCheckAndStopsWhereChecksCannotRun) {
    const auto all = JudgeHost(Visible());
    ASSERT_EQ(all.size(), 6u);
    for (const Finding& finding : all) EXPECT_EQ(finding.mark, Mark::Good) << finding.title.format;
    HostFacts blocked = Visible();
    blocked.request = {PortAnswer::TimedOut, std::nullopt};
    EXPECT_EQ(JudgeHost(blocked)[3].mark, Mark::Problem);
    HostFacts unknown;
    EXPECT_EQ(JudgeHost(unknown).size(), 1u);
}

}  // namespace
}  // namespace diagnosis
