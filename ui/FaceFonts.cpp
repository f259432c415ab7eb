#include "ui/FaceFonts.h"

#include <QFont>
#include <QStringList>

namespace fwu {

void RegisterFaceSubstitutes() {
    static const bool registered = [] {
        const QStringList standIns{QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"),
                                   QStringLiteral("DejaVu Sans")};
        for (const QString& face : {kDialogFace, QStringLiteral("MS Sans Serif"), QStringLiteral("Tahoma")}) {
            QStringList list = standIns;
            list.removeAll(face);
            QFont::insertSubstitutions(face, list);
        }
        return true;
    }();
    (void)registered;
}

}  // namespace fwu
