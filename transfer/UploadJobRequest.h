// What an upload start is asked to do: send the carried image to the router at this address, with this
// password. Made once by the window when the upload starts (and again for each retry).
#pragma once

#include <string>

namespace fwu {

struct UploadRequest {
    std::string routerAddress;  // dotted
    std::string password;
};

}  // namespace fwu
