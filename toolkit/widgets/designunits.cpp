#include "designunits.h"

#include <QGuiApplication>
#include <QPalette>

namespace DesignUnits {

QColor color(quint32 value)
{
    if (value & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        switch (value) {
        case kMenu:
            return palette.color(QPalette::Window);
        case kActiveTitleBar:
            return palette.color(QPalette::Active, QPalette::Highlight);
        case kButtonText:
            return palette.color(QPalette::ButtonText);
        default:
            return palette.color(QPalette::WindowText);
        }
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace DesignUnits
