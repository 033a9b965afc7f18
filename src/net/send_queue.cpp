#include "net/send_queue.h"

#include <linux/sockios.h>
#include <linux/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cstddef>

namespace net {

std::optional<SendQueueState> ReadSendQueue(Socket socket) {
    tcp_info info{};
    socklen_t length = sizeof info;
    int queued = 0;
    if (::getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &length) != 0 ||
        length < offsetof(tcp_info, tcpi_bytes_acked) + sizeof info.tcpi_bytes_acked ||
        ::ioctl(socket, SIOCOUTQ, &queued) != 0) {
        return std::nullopt;
    }
    return SendQueueState{info.tcpi_bytes_acked, queued > 0};
}

}  // namespace net
