// Pictures of the program's face, looked up by resource type and id ("FRAME", 151), as the Qt resource
// system holds them (":/FRAME/151.gif").
#pragma once

#include <QByteArray>
#include <string_view>

namespace fwu::platform {

// The bytes of the picture of the given type and id; empty when the program carries no such picture.
QByteArray LoadResourcePicture(std::string_view type, int id);

}  // namespace fwu::platform
