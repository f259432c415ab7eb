#include "ui/ResourcePicture.h"

#include <QFile>
#include <QString>

namespace fwu {

QByteArray LoadResourcePicture(std::string_view type, int id, int scale) {
    const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
    const QString path = QStringLiteral(":/%1/%2%3.gif")
                             .arg(QString::fromLatin1(type.data(), static_cast<qsizetype>(type.size())))
                             .arg(id)
                             .arg(suffix);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

}  // namespace fwu
