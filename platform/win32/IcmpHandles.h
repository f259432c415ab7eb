// The ICMP "sockets" of the Windows build are handles of the system's ICMP service (IcmpCreateFile), not
// Winsock sockets: CloseSocket asks here first whether a handle is one of them.
#pragma once

#include "platform/Socket.h"

namespace fwu::platform::win32 {

// Closes the handle when it is an open ICMP handle; false (and nothing done) for any other handle.
bool CloseIcmpHandle(SocketHandle handle);

}  // namespace fwu::platform::win32
