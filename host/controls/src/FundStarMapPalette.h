// The colours of the star map, all taken from its background: whatever colour a page gives the
// map, every piece of text on it reaches the contrast normal text needs, and the lines reach the
// contrast that graphics need.
#pragma once

#include "Contrast.h"
#include "HostCtlGdi.h"

namespace Control::StarMapLayout {

struct Palette {
    COLORREF background = 0;
    COLORREF grid = 0;         // the faint value grid
    COLORREF axis = 0;         // the axes and their ticks
    COLORREF tickText = 0;     // the tick values
    COLORREF caption = 0;      // the axis captions
    COLORREF label = 0;        // fund labels
    COLORREF averageLabel = 0; // the averages' and the index's labels, in the gold of their marks
    COLORREF leader = 0;       // lines from a star to a label moved away from it
    COLORREF cross = 0;        // the zero-return line
    COLORREF highlight = 0;    // rings and the search text
    COLORREF tipBack = 0, tipBorder = 0, tipText = 0, tipDim = 0;
};

// Lines and marks need less contrast than text (WCAG: 3:1 for graphics).
constexpr double kGraphicContrast = 3.0;

inline Palette MakePalette(COLORREF background) {
    using hostctl::Mix;
    using hostctl::Readable;
    constexpr COLORREF kGold = RGB(232, 180, 60);
    Palette p;
    p.background = background;
    const COLORREF ink = hostctl::InkFor(background);
    p.grid = Mix(background, ink, 0.10);
    p.axis = Readable(Mix(background, ink, 0.45), background, kGraphicContrast);
    p.tickText = Readable(Mix(background, ink, 0.62), background);
    p.caption = Readable(Mix(background, ink, 0.85), background);
    p.label = Readable(Mix(background, ink, 0.80), background);
    p.averageLabel = Readable(Mix(background, kGold, 0.85), background);
    p.leader = Readable(Mix(background, ink, 0.50), background, kGraphicContrast);
    p.cross = Readable(Mix(background, kGold, 0.70), background, kGraphicContrast);
    p.highlight = Readable(RGB(240, 200, 80), background);
    p.tipBack = Mix(background, ink, 0.08);
    p.tipBorder = Readable(Mix(background, ink, 0.40), p.tipBack, kGraphicContrast);
    p.tipText = Readable(ink, p.tipBack);
    p.tipDim = Readable(Mix(background, ink, 0.65), p.tipBack);
    return p;
}

} // namespace Control::StarMapLayout
