#include "client/extension_probe.h"

#include <algorithm>

#include "net/connect.h"
#include "net/framing.h"
#include "protocol/extension_words.h"
#include "protocol/request_protocol.h"

namespace client {

namespace {

// The list of words is short; anything longer is not an answer of ours.
constexpr std::size_t kMaxWordsReply = 4096;

}  // namespace

bool ExtensionAnswer::Has(const std::string& word) const {
    return support == ExtensionSupport::Present &&
           std::find(words.begin(), words.end(), word) != words.end();
}

ExtensionAnswer AskExtensionWords(Ipv4 address, std::uint16_t port, const StopFlag* stop) {
    ExtensionAnswer answer;
    const net::UniqueSocket socket = net::ConnectTo(address, port, stop, 1);
    if (!socket.valid()) return answer;
    if (!net::SendString(socket.get(), proto::BuildRequest(proto::kExtensionWordsWord), stop)) {
        return answer;
    }
    const auto reply = net::ReceiveReply(socket.get(), stop, kMaxWordsReply);
    if (reply) {
        answer.support = ExtensionSupport::Present;
        answer.words = proto::ParseExtensionWords(reply.value());
    } else if (reply.kind() == util::ErrorKind::ConnectionLost ||
               reply.kind() == util::ErrorKind::BadReply) {
        // Closed on the word, or answered with something that is no list of ours.
        answer.support = ExtensionSupport::Lacking;
    }
    return answer;
}

}  // namespace client
