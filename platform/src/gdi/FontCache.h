// Fonts over pango: one font map and one pango context for the process, a font instance per
// distinct LOGFONTW, and per instance a cache of shaped layouts so that drawing the same short
// text again (a grid repainting its cells) costs no shaping.
#pragma once

#include "GdiObjects.h"
#include "internal/Utf8.h"

#include <pango/pangocairo.h>
#include <string>
#include <unordered_map>

namespace platform::gdi {

// A shaped text. Lines come from pango; their heights are the font's, as GDI spaces lines by
// tmHeight whatever fallback fonts were used.
struct TextLayout {
    PangoLayout* layout = nullptr;
    Utf8Text text;
    int lineCount = 0;
    int width = 0; // widest line, pixels
    ~TextLayout();
    int LineWidth(int line) const;
    PangoLayoutLine* Line(int line) const { return pango_layout_get_line_readonly(layout, line); }
    // The x of the wide character `index` from the start of its line, and which line holds it.
    int CharX(size_t index, int* line) const;
};

class FontInstance {
public:
    explicit FontInstance(const LOGFONTW& log);
    ~FontInstance();
    FontInstance(const FontInstance&) = delete;
    FontInstance& operator=(const FontInstance&) = delete;

    // `wrapWidth` < 0: no wrapping. Single-paragraph layouts show line breaks as glyphs (TextOut).
    const TextLayout* Layout(const wchar_t* text, size_t length, int wrapWidth, bool singleParagraph);

    const LOGFONTW& Log() const { return m_log; }
    int Ascent() const { return m_ascent; }
    int Descent() const { return m_descent; }
    int Height() const { return m_ascent + m_descent; }
    int EmSize() const { return m_emSize; }
    int AveCharWidth() const { return m_aveCharWidth; }
    int MaxCharWidth() const { return m_maxCharWidth; }
    int UnderlinePosition() const { return m_underlinePosition; }
    int UnderlineThickness() const { return m_underlineThickness; }

private:
    LOGFONTW m_log;
    PangoFontDescription* m_description = nullptr;
    PangoAttrList* m_attributes = nullptr;
    int m_emSize = 12;
    int m_ascent = 0;
    int m_descent = 0;
    int m_aveCharWidth = 0;
    int m_maxCharWidth = 0;
    int m_underlinePosition = 1;
    int m_underlineThickness = 1;
    // Two generations: when the newer is full it becomes the older and the older goes. A layout
    // handed out stays alive while its caller asks for a few more (DrawTextW asks for "..." and
    // the cut line while it still reads the whole line's layout); starting the whole cache afresh
    // would free it under the caller.
    std::unordered_map<std::string, std::unique_ptr<TextLayout>> m_layouts;
    std::unordered_map<std::string, std::unique_ptr<TextLayout>> m_olderLayouts;
};

PangoContext* SharedPangoContext();
// The font instance of a font object (made on first use).
FontInstance* InstanceOf(Font* font);

} // namespace platform::gdi
