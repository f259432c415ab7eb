// The router's address as the utility holds it: four octet texts, as the login page shows and edits them.
// The one place a dotted address is cut into octets and the one place the octets are joined back.
#pragma once

#include <array>
#include <string>

namespace fwu {

class RouterAddress {
public:
    using Octets = std::array<std::string, 4>;

    RouterAddress() = default;  // four empty octets: nothing proposed yet

    // Cuts a dotted address (the proposed gateway) into the octets: the text before each of the first three
    // dots, the fourth everything after the third. Octets past a missing dot stay empty.
    static RouterAddress Split(const std::string& dotted);

    // The octets as typed into the four fields; an empty field reads as "0".
    static RouterAddress FromFields(const Octets& fieldTexts);

    const Octets& OctetTexts() const { return octets; }
    bool Empty() const { return octets[0].empty(); }

    // The octets joined by dots ("%s.%s.%s.%s"): the text shown, probed, asked and posted to.
    std::string Dotted() const;

    bool operator==(const RouterAddress&) const = default;

private:
    Octets octets;
};

}  // namespace fwu
