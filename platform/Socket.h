// Socket handles as the rest of the program sees them.
#pragma once

namespace fwu::platform {

using SocketHandle = int;
inline constexpr SocketHandle kInvalidSocket = -1;

// Closes a socket if it is valid and sets it to kInvalidSocket.
void CloseSocket(SocketHandle& socket);

}  // namespace fwu::platform
