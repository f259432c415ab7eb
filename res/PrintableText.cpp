#include "res/PrintableText.h"

#include <cstdio>
#include <vector>

namespace fwu {
namespace {

// The length of the well-formed UTF-8 sequence at the start of `text` and its code point; 0 when the
// bytes there are no such sequence (a stray continuation byte, an overlong form, a surrogate, a cut end).
std::size_t DecodeUtf8(std::string_view text, char32_t& point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        point = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, point = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, point = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, point = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        point = (point << 6) | (byte(i) & 0x3F);
    }
    if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool IsPrintableAscii(unsigned char byte) {
    return byte >= 0x20 && byte <= 0x7E;
}

// Appends the printed form of the start of `text` (one byte, or one UTF-8 character) and returns how
// many bytes of `text` it took.
std::size_t AppendFirst(std::string_view text, UnprintableStyle style, std::string& shown) {
    const auto byte = static_cast<unsigned char>(text.front());
    switch (style) {
        case UnprintableStyle::HexEscape:
            if (!IsPrintableAscii(byte) || byte == '\\') {
                char escaped[5];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
                shown += escaped;
            } else {
                shown += text.front();
            }
            return 1;
        case UnprintableStyle::AsciiQuestionMark:
            shown += IsPrintableAscii(byte) ? text.front() : '?';
            return 1;
        case UnprintableStyle::Utf8QuestionMark:
            break;
    }
    char32_t point = 0;
    const std::size_t length = DecodeUtf8(text, point);
    if (length == 0) {
        shown += '?';
        return 1;
    }
    if (point == '\n' || point == '\t' || point == '\r') {
        shown += ' ';
    } else if (point < 0x20 || (point >= 0x7F && point < 0xA0)) {
        shown += '?';
    } else {
        shown.append(text.substr(0, length));
    }
    return length;
}

}  // namespace

std::string MakePrintable(std::string_view text, UnprintableStyle style, std::size_t maxChars) {
    std::string shown;
    shown.reserve(text.size());
    std::vector<std::size_t> pieceStarts;  // where each byte's or character's form begins
    while (!text.empty()) {
        pieceStarts.push_back(shown.size());
        text.remove_prefix(AppendFirst(text, style, shown));
        if (shown.size() > maxChars) {
            // Room for "..." after the pieces kept.
            while (!pieceStarts.empty() && pieceStarts.back() + 3 > maxChars) {
                pieceStarts.pop_back();
            }
            shown.erase(pieceStarts.empty() ? 0 : pieceStarts.back());
            return shown + "...";
        }
    }
    return shown;
}

}  // namespace fwu
