#include "platform/ui/widgets/ServicesClipboard.h"

#include "platform/ui/Services.h"

#include <QClipboard>
#include <QGuiApplication>

namespace corvane::ui {

void installClipboardWriter(Services& services)
{
    services.setClipboardWriter([](const Pasteboard& pasteboard) {
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setMimeData(pasteboard.mimeData().release());  // the clipboard owns it
    });
}

}  // namespace corvane::ui
