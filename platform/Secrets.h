// Keeping the router's password out of places it could be read later: no core dump of this process, and
// buffers that held it overwritten before they are released.
#pragma once

#include <string>

namespace fwu::platform {

// Makes the process non-dumpable (no core file, no attaching by another process of the same user) and
// sets its core size limit to 0, for the rest of its life. False when either could not be set.
bool ForbidCoreDumps();

// Overwrites the text's bytes with zeros (in a way the compiler keeps) and empties it.
void WipeSecret(std::string& text);

// Wipes the text when the scope it guards ends, however it ends.
class WipeOnExit {
public:
    explicit WipeOnExit(std::string& text) : text(text) {}
    ~WipeOnExit() { WipeSecret(text); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    std::string& text;
};

}  // namespace fwu::platform
