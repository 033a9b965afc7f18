// "hostmodified" notices come from any peer that can reach the request port, as often as it
// likes; each one must not turn into fresh network jobs without bound.
#include "ui/fakes_controller.h"

namespace fakes {
namespace {

// A host the tree does not know has nothing to refresh; queueing jobs towards it lets any peer
// make us connect wherever it says, and stall our light job slots on a peer of its choosing.
TEST_F(ControllerTest, HostModifiedFromAnUnknownHostQueuesNothing) {
    network->ClearJobs();
    for (int i = 0; i < 100; ++i) controller->OnHostModified(Ip("127.0.0.9"));
    EXPECT_TRUE(network->jobs.empty());
}

// A flood of notices from a known host while its refresh still waits adds nothing to it.
TEST_F(ControllerTest, RepeatedHostModifiedWhileARefreshWaitsQueuesOneRefresh) {
    AppearHost("127.0.0.5");
    network->ClearJobs();
    for (int i = 0; i < 100; ++i) controller->OnHostModified(Ip("127.0.0.5"));
    EXPECT_LE(network->JobsOf(JobType::GetHostInfo).size(), 1u);
    EXPECT_LE(network->JobsOf(JobType::Expand).size(), 1u);
}

}  // namespace
}  // namespace fakes
