#include "ui/controller/lumvale_dialog_listeners.h"

#include "ui/controller/lumvale_dialog.h"

namespace ui {

ControllerListeners::ControllerListeners(CLumvaleDialog& controller, Dispatcher& dispatcher)
    : controller_(controller), dispatcher_(dispatcher) {}

NetworkListeners ControllerListeners::All() {
    return {*this, uploads_, *this, *this, *this, downloads_, *this};
}

template <typename Handler>
bool ControllerListeners::Deliver(Handler&& handler) {
    const std::function<void()> call = std::forward<Handler>(handler);
    return dispatcher_.RunOnUiThread(call);
}

void ControllerListeners::OnExpandResult(JobId id, const std::vector<DirEntry>& listing,
                                         bool success, std::size_t leftOut) {
    if (success) {
        Deliver([&] { controller_.OnExpandSucceeded(id, listing, leftOut); });
    } else {
        Deliver([&] { controller_.OnExpandFailed(id); });
    }
}

void ControllerListeners::OnHostInfoResult(JobId id, const proto::HostInfo& hostInfo,
                                           bool success) {
    // A failed request changes nothing.
    if (success) Deliver([&] { controller_.OnHostInfo(id, hostInfo); });
}

void ControllerListeners::OnChatMessage(Ipv4 address, const std::string& text) {
    Deliver([&] { controller_.OnChatMessage(address, text); });
}

void ControllerListeners::OnChatNotDelivered(Ipv4 address, const std::string& text) {
    Deliver([&] { controller_.OnChatNotDelivered(address, text); });
}

void ControllerListeners::OnHostAppeared(Ipv4 address, const std::string& name, HostKind kind) {
    Deliver([&] { controller_.OnHostAppeared(address, name, kind); });
}

void ControllerListeners::OnHostDisappeared(Ipv4 address) {
    Deliver([&] { controller_.OnHostDisappeared(address); });
}

void ControllerListeners::OnUploadRequested(std::uint32_t id, const StopFlag** stopFlagSlot) {
    const StopFlag* cancelFlag = nullptr;
    Deliver([&] { cancelFlag = controller_.OnUploadRequested(id); });
    if (cancelFlag != nullptr && stopFlagSlot != nullptr) *stopFlagSlot = cancelFlag;
}

void ControllerListeners::OnHostModified(Ipv4 address) {
    Deliver([&] { controller_.OnHostModified(address); });
}

bool ControllerListeners::MayDownload(Ipv4 address, const StopFlag* cancel) {
    // Several connection threads may ask at once; the user sees one question at a time, and the
    // second asker sees the outcome of the first (an allowed host is known by then).
    std::lock_guard<std::mutex> oneQuestion(permissionLock_);
    if (IsStopped(cancel)) return false;
    bool allowed = false;
    if (!Deliver([&] { allowed = controller_.OnDownloadRequest(address); })) return false;
    return allowed;
}

// A transfer's reports answer nothing, so its thread does not wait for the UI thread: with many
// small files the waiting was most of a transfer's cost. The queue keeps their order.
void ControllerListeners::Uploads::OnUploadStarted(std::uint32_t id) {
    CLumvaleDialog& controller = owner_.controller_;
    owner_.dispatcher_.Post([&controller, id] { controller.OnUploadStarted(id); });
}

void ControllerListeners::Uploads::OnUploadProgress(std::uint32_t id, unsigned percent,
                                                    float speedKBs) {
    CLumvaleDialog& controller = owner_.controller_;
    owner_.dispatcher_.Post([&controller, id, percent, speedKBs] {
        controller.OnUploadProgress(id, percent, speedKBs);
    });
}

void ControllerListeners::Uploads::OnUploadFinished(std::uint32_t id, bool success) {
    CLumvaleDialog& controller = owner_.controller_;
    owner_.dispatcher_.Post(
        [&controller, id, success] { controller.OnUploadFinished(id, success); });
}

void ControllerListeners::Downloads::OnDownloadStarted(JobId id) {
    CLumvaleDialog& controller = owner_.controller_;
    owner_.dispatcher_.Post([&controller, id] { controller.OnDownloadStarted(id); });
}

void ControllerListeners::Downloads::OnDownloadProgress(JobId id, unsigned percent,
                                                        float speedKBs) {
    CLumvaleDialog& controller = owner_.controller_;
    owner_.dispatcher_.Post([&controller, id, percent, speedKBs] {
        controller.OnDownloadProgress(id, percent, speedKBs);
    });
}

void ControllerListeners::Downloads::OnDownloadFinished(JobId id, const util::Status& outcome) {
    CLumvaleDialog& controller = owner_.controller_;
    owner_.dispatcher_.Post(
        [&controller, id, outcome] { controller.OnDownloadFinished(id, outcome); });
}

void ControllerListeners::Downloads::OnDownloadVerified(JobId id) {
    CLumvaleDialog& controller = owner_.controller_;
    owner_.dispatcher_.Post([&controller, id] { controller.OnDownloadVerified(id); });
}

}  // namespace ui
