#include "platform/Resources.h"

#include <QFile>
#include <QString>

namespace fwu::platform {

QByteArray LoadResourcePicture(std::string_view type, int id) {
    const QString path = QStringLiteral(":/%1/%2.gif")
                             .arg(QString::fromLatin1(type.data(), static_cast<qsizetype>(type.size())))
                             .arg(id);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

}  // namespace fwu::platform
