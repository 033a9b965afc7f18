// Shutdown. The order matters: a network thread may be waiting for the UI thread inside a
// listener call while the UI thread waits for that network thread, so event delivery is stopped
// before anything is waited for.
#include "ui/controller/host_lookup.h"
#include "ui/controller/host_refresh_tracker.h"
#include "ui/controller/lumvale_dialog.h"
#include "ui/controller/lumvale_dialog_listeners.h"
#include "ui/controller/web_view_host.h"
#include "ui/transfers/transfers.h"

namespace ui {

void CLumvaleDialog::Shutdown() {
    if (shutdownDone_) return;
    shutdownDone_ = true;
    // Reports from now on reach no handler and wait for nothing.
    views_.dispatcher.BeginShutdown();
    closing_ = true;
    // Cuts the browsers' downloads; its questions still queued are dropped with the dispatcher's.
    webView_.reset();
    // Transfers watch their own cancel flags, not the closing flag.
    // What runs now is kept before it is stopped: the next start shows it paused.
    if (transfers_) transfers_->FlushUnfinished();
    if (transfers_) transfers_->CancelAll();
    CancelAddHost();
    if (network_) network_->WaitForThreads();
    // The records go only now: until the threads ended, their transfers read the cancel flags.
    refreshes_.reset();
    network_.reset();
    transfers_.reset();
    listeners_.reset();
    // With the closing flag set the model leaves the tree's items to the window.
    model_.reset();
}

}  // namespace ui
