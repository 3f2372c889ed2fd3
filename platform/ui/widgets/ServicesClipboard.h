// Connects the services stand-in (Services.h) to the desktop's clipboard:
// a successful service puts the pasteboard's data there (file URLs as
// text/uri-list with their paths as text, text as text/plain).
#pragma once

namespace corvane::ui {

class Services;

void installClipboardWriter(Services& services);

}  // namespace corvane::ui
