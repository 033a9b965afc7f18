#include "client/extension_memo.h"

namespace client {

ExtensionAnswer ExtensionMemo::Lookup(Ipv4 address, std::uint16_t port, const StopFlag* stop) {
    std::unique_lock guard(lock_);
    // The probe's own connect and receive limits bound this wait.
    asked_.wait(guard, [&] { return !hosts_[address].asking; });
    Entry& entry = hosts_[address];
    if (entry.answer.support != ExtensionSupport::Unknown) return entry.answer;
    entry.asking = true;
    guard.unlock();
    ExtensionAnswer answer = AskExtensionWords(address, port, stop);
    guard.lock();
    // Forget may have dropped the entry meanwhile; the host's answer still holds for this caller.
    Entry& after = hosts_[address];
    after.asking = false;
    if (answer.support != ExtensionSupport::Unknown) after.answer = answer;
    asked_.notify_all();
    return answer;
}

ExtensionAnswer ExtensionMemo::Known(Ipv4 address) const {
    std::lock_guard guard(lock_);
    const auto found = hosts_.find(address);
    return found == hosts_.end() ? ExtensionAnswer{} : found->second.answer;
}

void ExtensionMemo::Forget(Ipv4 address) {
    std::lock_guard guard(lock_);
    const auto found = hosts_.find(address);
    if (found == hosts_.end()) return;
    // A probe under way finds its entry again when it ends; only what was learnt goes.
    found->second.answer = ExtensionAnswer{};
    if (!found->second.asking) hosts_.erase(found);
}

void ExtensionMemo::Remember(Ipv4 address, ExtensionAnswer answer) {
    std::lock_guard guard(lock_);
    hosts_[address].answer = std::move(answer);
}

}  // namespace client
