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

// Colours the windows name.
constexpr quint32 kBlue = 0x00FF0000;
constexpr quint32 kRed = 0x000000FF;
constexpr quint32 kWhite = 0x00FFFFFF;
constexpr quint32 kBlack = 0x00000000;

// System colours named by the windows.
constexpr quint32 kMenu = 0x80000004u;
constexpr quint32 kActiveTitleBar = 0x80000002u;
constexpr quint32 kButtonText = 0x80000012u;

// 0x00BBGGRR, or a system colour taken from the application palette.
QColor color(quint32 value);

} // namespace DesignUnits
