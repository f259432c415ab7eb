#include "tools/router-sim/Responses.h"

#include "tools/router-sim/RouterFacts.h"

namespace fwu::sim {
namespace {
// The page must carry this much before the marker in the long-page mode: more than a client that keeps
// only its first kilobytes can hold.
constexpr std::size_t kLongPageFill = 5000;

std::string Headers(std::string_view statusLine) {
    return std::string(statusLine) +
           "\r\nServer: httpd\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n";
}

std::string PageTop() {
    return "<html><head><title>System Information</title></head>\n<body><table>\n"
           "<tr><td>Model: ZPR8800N</td></tr>\n";
}

std::string PortRows() {
    std::string rows;
    for (int i = 0; rows.size() < kLongPageFill; ++i) {
        rows += "<tr><td>LAN port " + std::to_string(i % 4 + 1) + " link: 100 Mbps full duplex, frames " +
                std::to_string(1000 + i) + "</td></tr>\n";
    }
    return rows;
}

const char* Reason(int code) {
    switch (code) {
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 404:
            return "Not Found";
        case 411:
            return "Length Required";
        case 413:
            return "Request Entity Too Large";
        default:
            return "Not Implemented";
    }
}

}  // namespace

std::string Joined(const Answer& answer) {
    std::string all;
    for (const Send& send : answer.sends) {
        all += send.bytes;
    }
    return all;
}

Answer StatusPage(Fault fault, std::string_view version, int dripMs) {
    const std::string statusLine =
        fault == Fault::Status11 ? "HTTP/1.1 200 OK" : std::string(kAcceptedStatus);
    const std::string head = Headers(statusLine);
    std::string before = head + PageTop();
    if (fault == Fault::LongPage) {
        before += PortRows();
    }
    // A field whose name ends in the marker, naming another version, before the router's own.
    if (fault == Fault::LatestVersionField) {
        before += "<tr><td>Latest Firmware Version:v9.99.99, Dec 1 2099</td></tr>\n";
    }
    std::string field;
    if (fault == Fault::NoMarker) {
        field = "<tr><td>Build: " + std::string(version) + ", Nov 27 2006</td></tr>\n";
    } else {
        // The version follows the marker directly; the blank-version mode puts a blank between them.
        field = "<tr><td>" + std::string(kVersionStartMarker) + (fault == Fault::BlankVersion ? " " : "") +
                std::string(version);
    }
    const std::string after =
        (fault == Fault::NoMarker ? "" : std::string(kVersionEndMarker) + " Nov 27 2006</td></tr>\n") +
        (fault == Fault::TwoVersions ? "<tr><td>Firmware Version:v9.99.99, Dec 1 2099</td></tr>\n" : "") +
        std::string("<tr><td>LAN IP Address: 192.168.1.1</td></tr>\n</table></body></html>\n");

    Answer answer;
    answer.keepOpen = fault == Fault::NeverClose;
    if (fault == Fault::SplitStatus) {
        const std::string all = before + field + after;
        const std::size_t cut = 11;  // inside "HTTP/1.0 200 Ok"
        answer.sends = {{0, all.substr(0, cut)}, {kSplitPauseMs, all.substr(cut)}};
    } else if (fault == Fault::Drip || fault == Fault::DripNul) {
        // The head at once, then one byte at a time: the page's own, or a NUL in its place.
        const std::string page = (before + field + after).substr(head.size());
        answer.sends.push_back({0, head});
        for (const char byte : page) {
            answer.sends.push_back({dripMs, std::string(1, fault == Fault::Drip ? byte : '\0')});
        }
    } else if (fault == Fault::SplitMarker) {
        answer.sends = {{0, before + field}, {kSplitPauseMs, after}};
    } else {
        answer.sends = {{0, before + field + after}};
    }
    return answer;
}

Answer ErrorAnswer(int code) {
    const std::string text = std::to_string(code) + " " + Reason(code);
    std::string head = "HTTP/1.0 " + text + "\r\nServer: httpd\r\nContent-Type: text/html\r\n";
    if (code == 401) {
        head += "WWW-Authenticate: Basic realm=\"ZPR8800N\"\r\n";
    }
    head += "Connection: close\r\n\r\n";
    return {{{0, head + "<html><body><h1>" + text + "</h1></body></html>\n"}}, false};
}

Answer UploadAccepted() {
    return {{{0, Headers(kAcceptedStatus) +
                     "<html><body>Upgrade is successful. The router restarts now.</body></html>\n"}},
            false};
}

Answer UploadAnsweredWith(std::string_view statusLine) {
    return {{{0, Headers(statusLine) + "<html><body>" + std::string(statusLine) + "</body></html>\n"}},
            false};
}

}  // namespace fwu::sim
