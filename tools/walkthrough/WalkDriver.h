// Drives a real upgrade window the way a user does: real mouse events on the image buttons, real key
// events in the fields, waits that keep the window's events flowing, and pictures of the window.
#pragma once

#include <QString>
#include <functional>

#include "wizard/FaceSlot.h"

class QWidget;

namespace fwu {
class CUpgradeDlg;
}

namespace fwu::walk {

// Moves the mouse to the centre of the button slot, presses and releases the left button there. A press
// that starts a blocking step (the router check) returns when the step is over.
void PressButton(CUpgradeDlg& dialog, FaceSlot slot);

// Processes the window's events until `done` holds or `timeoutMs` has passed; true when it holds.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

// Waits until the window shows `page`; false when the time runs out or the window has ended.
bool WaitForPage(const CUpgradeDlg& dialog, int page, int timeoutMs);

// Waits until no upload runs (`busy` cleared).
bool WaitWhileBusy(const CUpgradeDlg& dialog, int timeoutMs);

// The progress page's status line; empty on any other page.
QString ProgressStatus(const CUpgradeDlg& dialog);

// Replaces an edit field's text by typing: the old text selected, then one key press per character (an
// empty text: Delete), every key through the field's own key handling.
void TypeInto(QWidget* field, const QString& text);

// Renders the window as it is now into a PNG file (folders made as needed); false when it cannot be
// written.
bool SaveWindowPng(QWidget& window, const QString& path);

}  // namespace fwu::walk
