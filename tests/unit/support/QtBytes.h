// The tests build their inputs with Qt's byte arrays; the core takes and answers the C++ library's bytes.
// These convert between the two (a view without a copy, or a copy).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

#include "platform/Bytes.h"

namespace fwu::test {

inline ByteView AsByteView(QByteArrayView bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::size_t>(bytes.size())};
}

inline Bytes ToBytes(QByteArrayView bytes) {
    const ByteView view = AsByteView(bytes);
    return Bytes(view.begin(), view.end());
}

inline QByteArray ToQByteArray(ByteView bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

}  // namespace fwu::test
