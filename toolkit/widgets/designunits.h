#pragma once

#include <QColor>
#include <QRect>

// The windows are designed in twips (1/1440 inch, 15 to a pixel at 96 dots per inch), and
// their colours in the 0x00BBGGRR form, with 0x800000xx naming a system colour. These
// turn such design values into pixels and QColors.
namespace DesignUnits {

constexpr int kTwipsPerPixel = 15;

constexpr int px(int twips) { return twips / kTwipsPerPixel; }
inline QRect rect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// System colours named by the windows.
constexpr quint32 kMenu = 0x80000004u;
constexpr quint32 kActiveTitleBar = 0x80000002u;
constexpr quint32 kButtonText = 0x80000012u;

// 0x00BBGGRR, or a system colour taken from the application palette.
QColor color(quint32 value);

} // namespace DesignUnits
