// The pictures of the window face, each drawn in code, and the catalogue that says how each is stored.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

#include "tools/skin-art/ArtKit.h"
#include "tools/skin-art/Quantiser.h"

namespace fwu::skinart {

QImage DrawFrame();                                           // "FRAME" 151
QImage DrawWelcome();                                         // "CONTENTS" 165
QImage DrawCongratulations();                                 // "CONTENTS" 166
QImage DrawVerify();                                          // "CONTENTS" 167
QImage DrawProgress();                                        // "CONTENTS" 168
QImage DrawLogin();                                           // "CONTENTS" 169
QImage DrawBlankPanel();                                      // "CONTENTS" 170
QImage DrawBarStrip();                                        // "BAR" 171
QImage DrawButton(const QString& caption, bool highlighted);  // 105 x 48 plates
QImage DrawCloseButton(bool highlighted);                     // 45 x 45
QImage DrawEmptyPlate();                                      // "BUTTON" 164

// The router with two people beside it, drawn into `area` of an overlay picture.
void DrawRouterScene(QPainter& painter, const QRectF& area);

// The application icon at a square size.
QImage DrawIcon(int size);

struct SkinPicture {
    QString type;  // resource type: FRAME, CONTENTS, BAR, BUTTON
    int id = 0;
    QImage image;
    PaletteLayout palette;
};

// Every picture of the face, drawn, with its colour table layout.
std::vector<SkinPicture> DrawCatalogue();

// Compares the picture files under `drawn` with those under `committed` by what they show
// (FileDifference), prints each difference and each file present on one side only; 0 when none.
int CompareFolders(const QString& drawn, const QString& committed);

}  // namespace fwu::skinart
