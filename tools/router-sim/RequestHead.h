// The head of an HTTP request as the simulated router receives it: the request line and the header lines
// exactly as they came, with a note of every line that did not end in CR LF.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fwu::sim {

// The longest head the router reads before it gives up on a request.
inline constexpr std::size_t kMaxHeadBytes = 16 * 1024;

struct RequestHead {
    std::string requestLine;
    std::vector<std::string> headerLines;  // "Name: value", as sent, without the line end
    int bareLineFeeds = 0;                 // lines (the empty one included) ended by LF alone
};

// The offset just past the empty line that ends the head, or nothing while the head is incomplete.
std::optional<std::size_t> FindHeadEnd(std::string_view data);

// Splits a complete head (up to and including its empty line) into its lines.
RequestHead ParseRequestHead(std::string_view head);

// The value of the first field of that name (any case), blanks after the colon removed.
std::optional<std::string_view> FieldValue(const RequestHead& head, std::string_view name);

}  // namespace fwu::sim
