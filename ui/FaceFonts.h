// The faces the window's texts ask for by name ("MS Shell Dlg", "MS Sans Serif", "Tahoma") are narrow
// dialog faces that other systems do not have; a narrow face that is there stands in, so that texts
// measured for the originals still fit their labels and fields.
#pragma once

#include <QString>

namespace fwu {

// The face of the system's small dialog font, which labels use until a face is set.
inline const QString kDialogFace = QStringLiteral("MS Shell Dlg");

// Registers the stand-ins once per process; later calls do nothing.
void RegisterFaceSubstitutes();

}  // namespace fwu
