// The main-window controller: owns the network structure and the network objects, handles every
// network event on the UI thread, keeps the download bookkeeping and decides what the commands and
// menus do. It knows its views only through small interfaces, so the Qt GUI and the headless
// daemon drive the same object, and every behaviour is testable without a display.
//
// The front end's part: build the views, construct, Start; run OnSecondTimer every 1000 ms and
// OnTenthSecondTimer every 100 ms; report tree selection changes, tree expansion and column
// clicks; call the command operations from menus, toolbar and keys, enabling them by
// GetMenuState; ask ConfirmClose before closing; Shutdown (or
// destroy the controller) once its loop has ended.
//
// Threads: every public operation runs on the UI thread. Network threads reach the handlers only
// through the listener bridge, which hops through the dispatcher and blocks until the handler has
// run. Shutdown stops that traffic first, then waits for the network threads.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/job_queue.h"
#include "core/parseini.h"
#include "core/types.h"
#include "model/net_structure.h"
#include "net/socket.h"
#include "protocol/request_protocol.h"
#include "ui/controller/file_list_presenter.h"
#include "ui/controller/lonely_host_hint.h"
#include "ui/controller/lumvale_dialog_network.h"
#include "ui/controller/lumvale_dialog_views.h"
#include "ui/controller/remembered_host_watcher.h"
#include "ui/desktop/host_mru.h"
#include "ui/text/number_format.h"
#include "util/result.h"
#include "web/web_server.h"

namespace ui {

class ControllerListeners;
class HostLookup;
class PermissionQuestions;
class HostRefreshTracker;
class EventSoundPlayer;
class ChatHistory;
class ShownTextViews;
class Transfers;
class WebViewHost;

struct ControllerOptions {
    // The settings file ("global" and "shares" sections).
    std::string settingsFile;
    // The debug-features switch of the command line.
    bool debugFeatures = false;
    // Default of the "hostname" setting; empty means this machine's host name.
    std::string computerName;
    // How sizes and rates are shown.
    NumberFormat numbers = NumberFormat::FromUserLocale();
    // Looks up the names typed into the add-host dialog; empty: the system's resolver.
    HostResolver resolveHost;
    // The web view, started when the settings switch it on, unless the front end serves it itself
    // (`serve`, whose owner lets browsers in by a code on the console).
    bool ownsWebView = true;
    web::WebOptions webView;
    // Where the unfinished downloads are kept across restarts; empty: nowhere (they end with
    // the program).
    std::string downloadStateFile;
};

// Makes the network objects once the listeners exist; the controller owns the result.
using NetworkFactory = std::function<std::unique_ptr<ControllerNetwork>(const NetworkSetup& setup)>;

// The real discovery, share server, job queue and chat with the given ports and seams.
NetworkFactory OwnedNetworkFactory(NetworkOptions options);

// Which commands are enabled when a menu opens.
struct MenuState {
    bool download = false;         // "&Download" and "Download to"
    bool addShare = false;         // the selection belongs to the local host
    bool removeShare = false;      // a share of the local host is selected
    bool shareProperties = false;  // as removeShare
    bool refresh = false;          // the tree has the focus
    bool removeHost = false;       // a manually added host is selected
    bool cancel = false;           // a transfer row is selected in the focused transfer list
    bool pause = false;            // ... and one of them is a running download
    bool resume = false;           // ... and one of them is a paused download
    // "Add host manually" and "Remove host" stay in the menu.
    bool showHostCommands = false;
    // The stored last download folder, when it still exists; empty: no "Download to" item.
    std::string lastDownloadFolder;
};

// A share of the local host, as the share-properties dialog needs it.
struct LocalShare {
    std::string name;
    std::string folder;
};

class CLumvaleDialog {
public:
    CLumvaleDialog(ControllerViews views, ControllerOptions options, NetworkFactory networkFactory);
    // Shuts down if that has not happened yet.
    ~CLumvaleDialog();
    CLumvaleDialog(const CLumvaleDialog&) = delete;
    CLumvaleDialog& operator=(const CLumvaleDialog&) = delete;

    // Creates the network structure, then discovery, share server, job queue and chat; applies the
    // host name and adds the local host, which comes back as a host-appeared event.
    void Start();
    // Stops event delivery, sets the closing flag and every cancel flag, and waits for discovery,
    // the share server, the job queue and chat, in that order. Safe to call twice.
    void Shutdown();
    bool IsClosing() const { return closing_.load(); }

    // ---- Network events (UI thread; the listener bridge forwards here) ----
    // `leftOut`: entries the host listed beyond what a listing may hold.
    void OnExpandSucceeded(JobId id, const std::vector<DirEntry>& listing, std::size_t leftOut = 0);
    void OnExpandFailed(JobId id);
    void OnHostInfo(JobId id, const proto::HostInfo& info);
    void OnHostAppeared(Ipv4 address, const std::string& name, HostKind kind);
    void OnHostDisappeared(Ipv4 address);
    void OnHostModified(Ipv4 address);
    // The permission question for a host's download; true allows it.
    bool OnDownloadRequest(Ipv4 address);
    void OnChatMessage(Ipv4 address, const std::string& text);
    // Shown in the chat history, so that the user never takes a lost text for a sent one.
    void OnChatNotDelivered(Ipv4 address, const std::string& text);
    void OnDownloadStarted(JobId id);
    void OnDownloadProgress(JobId id, unsigned percent, double rateKBs);
    void OnDownloadFinished(JobId id, const util::Status& outcome);
    void OnDownloadVerified(JobId id);
    // The cancel flag the upload's send is to watch; null when the server knows no such upload.
    const StopFlag* OnUploadRequested(std::uint32_t uploadId);
    void OnUploadStarted(std::uint32_t uploadId);
    void OnUploadProgress(std::uint32_t uploadId, unsigned percent, double rateKBs);
    void OnUploadFinished(std::uint32_t uploadId, bool succeeded);

    // ---- Timers ----
    // Every 1000 ms: counts down and removes finished transfer rows.
    void OnSecondTimer();
    // Every 100 ms: the address-change check and the lonely-host hint.
    void OnTenthSecondTimer();

    // ---- View notifications ----
    void OnTreeSelectionChanged();
    // The user opens a tree item: fetch the listings of its child folders.
    void OnTreeItemExpanding(CNetNode& node);
    // A click on a file-list column header.
    void SortByColumn(int column);
    // Shows the children of the selected tree node in the file list.
    void FillFileList();

    // ---- Commands ----
    bool CanDownload() const;
    // The Download command; `useLastFolder` skips the folder question when the stored folder
    // still exists.
    void Download(bool useLastFolder);
    void Refresh();
    void RemoveShare();
    // Enter or a double click in the file list: download a file, open a folder or share.
    void OpenSelectedRow(bool useLastFolder);
    void SendChat();
    void CancelSelectedTransfers();
    void PauseSelectedTransfers();
    void ResumeSelectedTransfers();
    // OK in the add-host dialog: looks the text up off the UI thread, and `done` gets the
    // outcome on the UI thread, from the tenth-second timer: Accepted once the host is added and
    // the dialog's list saved, Unresolved when the name is unknown or the lookup outlasted
    // kHostLookupLimitMs. False, and `done` is never called, when nothing was started: empty
    // text, or the controller has shut down. A new lookup replaces one that still runs; one that
    // runs at shutdown is dropped unanswered.
    bool StartAddHost(const std::string& typedText, std::function<void(AddHostOutcome)> done);
    // The dialog went without waiting for the answer.
    void CancelAddHost();
    void RemoveSelectedHost();
    // The toolbar's "Up".
    void SelectParent();
    // Queues a "hostmodified" job to every known host.
    void NotifyHostsModified();
    // Reads "hostname", hands it to the share server and tells every host.
    void ApplyHostName();
    // Applies the downloads' speed limit of the settings.
    void ApplyDownloadLimit();
    // Starts or stops the web view as the settings say; the message for the user when it is
    // wanted but cannot listen, empty otherwise.
    std::string ApplyWebView();
    // The port of the running web view; 0 when it is off.
    std::uint16_t WebViewPort() const;
    // A folder dropped on the tree became a share: list the local shares again.
    void OnShareAddedByDrop();
    // The first-run wizard was finished: the local shares and the computer name may be new.
    void OnFirstRunFinished();
    std::optional<LocalShare> SelectedLocalShare() const;
    MenuState GetMenuState() const;
    // Asks before closing while transfers run; true to close.
    bool ConfirmClose();

    // ---- State for front ends and tests ----
    CNetStructure& Model() { return *model_; }
    const std::string& HostName() const { return hostName_; }
    bool DebugFeatures() const { return options_.debugFeatures; }
    const Transfers& TransferState() const { return *transfers_; }
    // The nodes behind the file list's rows, in row order.
    const std::vector<CNetNode*>& FileListNodes() const { return fileList_.Nodes(); }
    std::size_t ChatHistoryLength() const;

private:
    // Asks for the listings of the node's sub-folders; without askAgain only those not yet asked.
    void RequestChildListings(CNetNode& node, bool askAgain);
    void StepLonelyHostHint();
    // Adds the remembered hosts that a finished lookup found and the tree lacks.
    void WatchRememberedHosts();
    std::optional<std::string> KnownHostName(Ipv4 address) const;
    FocusTarget Focus() const { return views_.focus.FocusedControl(); }
    std::optional<std::string> ChooseTargetFolder(bool useLastFolder);
    // One name of a Download command: empty for the selected node itself.
    struct DownloadItem {
        std::string name;
        std::string localName;
        bool folder = false;
        std::int64_t size = 0;
    };
    struct DownloadRequest {
        Ipv4 address = 0;
        std::string nodePath;
        std::vector<DownloadItem> items;
    };
    void StartDownloads(const DownloadRequest& request, const std::string& targetFolder);
    bool IsLocalShareNode(const CNetNode* node) const;
    bool IsManualHostNode(const CNetNode* node) const;
    void FinishAddHost();
    // Shows hosts that share a name with their addresses, and the others by name alone.
    void RelabelHosts();
    // False once shutdown has begun: then commands do nothing, also those that come back from
    // a question or a folder browser (a nested event loop) during which the session ended.
    bool Running() const { return network_ != nullptr && !shutdownDone_; }

    // Before views_, which are these views.
    std::unique_ptr<ShownTextViews> shownText_;
    ControllerViews views_;
    const ControllerOptions options_;
    NetworkFactory networkFactory_;
    utilcpp::CParseini settings_;

    // Read by every network object, job and the model as their stop flag.
    StopFlag closing_{false};
    bool shutdownDone_ = false;

    std::unique_ptr<EventSoundPlayer> sounds_;
    std::unique_ptr<ChatHistory> chatHistory_;
    std::unique_ptr<CNetStructure> model_;
    std::unique_ptr<ControllerListeners> listeners_;
    std::unique_ptr<ControllerNetwork> network_;
    std::unique_ptr<Transfers> transfers_;
    std::unique_ptr<HostRefreshTracker> refreshes_;
    std::unique_ptr<WebViewHost> webView_;

    std::string hostName_;
    NumberFormat numberFormat_;
    FileListPresenter fileList_;
    LonelyHostHint hint_;
    // The names hosts give themselves; the tree may show them with addresses.
    std::map<Ipv4, std::string> ownNames_;
    std::unique_ptr<PermissionQuestions> questions_;
    bool questionOpen_ = false;
    std::unique_ptr<HostLookup> hostLookup_;
    std::function<void(AddHostOutcome)> hostLookupDone_;
    TreeItem hintItem_ = kNoTreeItem;
    RememberedHostWatcher rememberedHosts_{net::ResolveHost};
    // The text each remembered host was stored under, by the address it was last found at.
    std::map<Ipv4, std::string> rememberedAddresses_;
};

}  // namespace ui
