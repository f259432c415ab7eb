#include "platform/Socket.h"

#include <unistd.h>

namespace fwu::platform {

void CloseSocket(SocketHandle& socket) {
    if (socket != kInvalidSocket) {
        ::close(socket);
        socket = kInvalidSocket;
    }
}

}  // namespace fwu::platform
