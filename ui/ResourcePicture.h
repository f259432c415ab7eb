// Pictures of the program's face, looked up by resource type and id ("FRAME", 151), as the Qt resource
// system holds them (":/FRAME/151.gif"), and their double-size drawings for high-density screens
// (":/FRAME/151@2x.gif").
#pragma once

#include <QByteArray>
#include <string_view>

namespace fwu {

// The bytes of the picture of the given type and id, drawn at `scale` device pixels per logical pixel
// (1, or 2 for the double-size drawing); empty when the program carries no such picture.
QByteArray LoadResourcePicture(std::string_view type, int id, int scale = 1);

}  // namespace fwu
