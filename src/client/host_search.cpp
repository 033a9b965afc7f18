#include "client/host_search.h"

#include "client/extension_memo.h"
#include "net/connect.h"
#include "net/framing.h"
#include "protocol/request_protocol.h"

namespace client {

namespace {

HostSearchResult Failure(const util::Error& error) {
    HostSearchResult result;
    result.outcome = SearchOutcome::Unreachable;
    result.problem = util::Describe(error);
    return result;
}

}  // namespace

HostSearchResult SearchHost(ExtensionMemo& memo, Ipv4 address, std::uint16_t port,
                            std::string_view pattern, const StopFlag* stop) {
    const ExtensionAnswer answer = memo.Lookup(address, port, stop);
    if (answer.support == ExtensionSupport::Unknown) {
        return Failure(util::MakeError(util::ErrorKind::CannotConnect));
    }
    if (!answer.Has(std::string(proto::kSearchWord))) {
        HostSearchResult result;
        result.outcome = SearchOutcome::CannotSearch;
        return result;
    }
    const net::UniqueSocket socket = net::ConnectTo(address, port, stop, 1);
    if (!socket.valid()) return Failure(util::MakeError(util::ErrorKind::CannotConnect));
    if (!net::SendString(socket.get(), proto::BuildRequest(proto::kSearchWord, pattern), stop)) {
        return Failure(util::MakeError(util::ErrorKind::ConnectionLost));
    }
    const auto reply = net::ReceiveReply(socket.get(), stop, proto::kMaxSearchReplyLength);
    if (!reply) return Failure(reply.error());
    proto::SearchReply parsed;
    if (!proto::ParseSearchReply(reply.value(), parsed)) {
        return Failure(util::MakeError(util::ErrorKind::BadReply));
    }
    HostSearchResult result;
    result.outcome = SearchOutcome::Answered;
    result.hits = std::move(parsed.hits);
    result.leftOut = parsed.leftOut;
    return result;
}

}  // namespace client
