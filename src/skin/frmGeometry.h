// Where the parts of the skin lie, in pixels: the frame metrics of each border
// style, and the title bar's icon and caption. Drawing and the mouse handling
// both read them from here, so what is drawn is what a click finds.
#pragma once
#include <windows.h>

#include "NimbraForm_h.h"

namespace nimbra::skin {

// Title bar height normal and maximised, and frame width, by BorderStyle.
struct Metrics {
    float title, titleMaximised, border;
};
inline constexpr Metrics kMetrics[] = {{0, 0, 0}, {29, 26, 3}, {30, 26, 4}, {29, 26, 3}, {21, 18, 3}, {22, 18, 4}};

// A colour scheme's caption colours and the top of its icon and caption in a
// normal window (silver sets them two pixels higher), by ColorStyle.
struct SchemeLook {
    COLORREF caption, inactiveCaption, captionShadow;
    float iconTop;
};
inline constexpr SchemeLook kSchemes[] = {
    {RGB(255, 255, 255), RGB(216, 228, 248), RGB(10, 24, 131), 8},  // blue
    {RGB(0, 0, 0), RGB(162, 161, 161), RGB(199, 194, 209), 6},      // silver
    {RGB(255, 255, 255), RGB(255, 255, 255), RGB(65, 64, 10), 8},   // olive
};
constexpr bool KnownScheme(cColorStyle scheme) { return scheme >= cXPBlue && scheme <= cXPOlive; }

// The icon's box in the title bar: 16 x 16 from x = 6.
inline constexpr float kIconLeft = 6, kIconSize = 16, kIconRight = kIconLeft + kIconSize;
constexpr float IconTop(cColorStyle scheme) { return KnownScheme(scheme) ? kSchemes[scheme].iconTop : 8.0f; }

// Where the caption's text starts: after the icon when it shows; a maximised
// window's band is lower, so its text sits higher.
inline constexpr float kCaptionLeft = 6, kCaptionLeftAfterIcon = 26, kMaximisedCaptionTop = 4;
constexpr float CaptionTop(cColorStyle scheme, bool maximised) {
    return maximised ? kMaximisedCaptionTop : IconTop(scheme);
}
// A tool window has no icon: its smaller caption sits closer to the corner.
constexpr float ToolCaptionLeft(bool normal) { return normal ? 3.0f : 0.0f; }
constexpr float ToolCaptionTop(bool normal, bool fixed) { return (normal ? 8.0f : 5.0f) - (fixed ? 4.0f : 3.0f); }

}  // namespace nimbra::skin
