// What assistive technology sees of the painted window, through Qt's accessibility interfaces: the window
// as a dialog whose description is the current page's painted text; each shown button slot as a push
// button named after what it does on the page, pressed through the press action; each label as static
// text (the verify page's values named after their painted captions, the value as the text); the login
// fields by name; the progress as a progress bar (0..100, the status line as its description).
#pragma once

#include <QString>

class QWidget;

namespace fwu {

// Installs the interface factory for the window's own widgets; once per process, before the window is
// made.
void InstallFaceAccessibility();

// The painted text of a page (0..4), as the window's accessible description; empty for another page.
QString PageDescription(int page);

// Names the page's controls for assistive technology and announces the page: the window's description
// and the buttons' names changed. Run after every page is shown.
void AnnouncePage(QWidget& window);

}  // namespace fwu
