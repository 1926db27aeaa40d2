// The process's pango context, font instances and their layout caches.
#include "FontCache.h"

#include <cmath>
#include <cstring>
#include <map>

namespace platform::gdi {

namespace {

constexpr const char* kDefaultFace = "WenQuanYi Micro Hei";
// Enough for every cell of a few full grids; beyond it a new generation starts (see m_olderLayouts).
constexpr size_t kMaxLayoutsPerFont = 4096;

std::string faceToUtf8(const WCHAR* face) {
    size_t length = 0;
    while (length < LF_FACESIZE && face[length] != 0)
        ++length;
    std::string out = ToUtf8(face, length).bytes;
    // A comma would split the family list that pango reads.
    for (char& c : out)
        if (c == ',')
            c = ' ';
    return out;
}

} // namespace

TextLayout::~TextLayout() {
    if (layout != nullptr)
        g_object_unref(layout);
}

int TextLayout::LineWidth(int line) const {
    PangoRectangle logical;
    pango_layout_line_get_pixel_extents(Line(line), nullptr, &logical);
    return logical.width;
}

int TextLayout::CharX(size_t index, int* lineOut) const {
    int byte = text.offsets[std::min(index, text.offsets.size() - 1)];
    int line = 0, x = 0;
    pango_layout_index_to_line_x(layout, byte, FALSE, &line, &x);
    *lineOut = line;
    return PANGO_PIXELS(x);
}

PangoContext* SharedPangoContext() {
    static PangoContext* context = [] {
        PangoFontMap* map = pango_cairo_font_map_new();
        PangoContext* made = pango_font_map_create_context(map);
        g_object_unref(map);
        // Fixed options keep rendering the same on every machine: grey anti-aliasing, light
        // hinting, and unhinted metrics so that widths do not depend on the hinter.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(made, options);
        cairo_font_options_destroy(options);
        pango_cairo_context_set_resolution(made, 96);
        pango_context_set_language(made, pango_language_from_string("zh-cn"));
        return made;
    }();
    return context;
}

FontInstance::FontInstance(const LOGFONTW& log) : m_log(log) {
    PangoContext* context = SharedPangoContext();
    std::string face = faceToUtf8(log.lfFaceName);
    std::string families = face.empty() ? kDefaultFace : face + "," + kDefaultFace;
    m_description = pango_font_description_new();
    pango_font_description_set_family(m_description, families.c_str());
    int weight = log.lfWeight <= 0 ? FW_NORMAL : std::min<int>(log.lfWeight, 1000);
    pango_font_description_set_weight(m_description, static_cast<PangoWeight>(weight));
    pango_font_description_set_style(m_description, log.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);

    // A negative height is the em size; a positive one the cell (ascent + descent), which needs
    // the face's proportions, measured once at a large size.
    long long height = log.lfHeight;
    if (height < 0) {
        m_emSize = static_cast<int>(std::min<long long>(-height, 2000));
    } else if (height > 0) {
        pango_font_description_set_absolute_size(m_description, 1000.0 * PANGO_SCALE);
        PangoFontMetrics* probe = pango_context_get_metrics(context, m_description, nullptr);
        double cell = (pango_font_metrics_get_ascent(probe) + pango_font_metrics_get_descent(probe)) /
                      static_cast<double>(PANGO_SCALE);
        pango_font_metrics_unref(probe);
        double ratio = cell > 0 ? cell / 1000.0 : 1.0;
        m_emSize = static_cast<int>(std::lround(std::min<long long>(height, 2000) / ratio));
    }
    m_emSize = std::max(m_emSize, 1);
    pango_font_description_set_absolute_size(m_description, static_cast<double>(m_emSize) * PANGO_SCALE);

    PangoFontMetrics* metrics = pango_context_get_metrics(context, m_description, nullptr);
    m_ascent = PANGO_PIXELS(pango_font_metrics_get_ascent(metrics));
    m_descent = PANGO_PIXELS(pango_font_metrics_get_descent(metrics));
    if (height > 0 && m_ascent + m_descent != height)
        m_descent = static_cast<int>(height) - m_ascent; // the cell height is what the caller asked for
    m_aveCharWidth = std::max(1, PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(metrics)));
    m_maxCharWidth =
        std::max(m_aveCharWidth, PANGO_PIXELS(pango_font_metrics_get_approximate_digit_width(metrics)));
    m_maxCharWidth = std::max(m_maxCharWidth, m_emSize);
    m_underlinePosition = std::max(1, -PANGO_PIXELS(pango_font_metrics_get_underline_position(metrics)));
    m_underlineThickness = std::max(1, PANGO_PIXELS(pango_font_metrics_get_underline_thickness(metrics)));
    pango_font_metrics_unref(metrics);

    if (log.lfUnderline || log.lfStrikeOut) {
        m_attributes = pango_attr_list_new();
        if (log.lfUnderline)
            pango_attr_list_insert(m_attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (log.lfStrikeOut)
            pango_attr_list_insert(m_attributes, pango_attr_strikethrough_new(TRUE));
    }
}

FontInstance::~FontInstance() {
    m_layouts.clear();
    m_olderLayouts.clear();
    if (m_attributes != nullptr)
        pango_attr_list_unref(m_attributes);
    pango_font_description_free(m_description);
}

const TextLayout* FontInstance::Layout(const wchar_t* text, size_t length, int wrapWidth,
                                       bool singleParagraph) {
    Utf8Text utf8 = ToUtf8(text, length);
    std::string key = utf8.bytes;
    key.push_back('\0');
    key.append(reinterpret_cast<const char*>(&wrapWidth), sizeof wrapWidth);
    key.push_back(singleParagraph ? 1 : 0);
    auto found = m_layouts.find(key);
    if (found != m_layouts.end())
        return found->second.get();
    // A layout of the older generation moves to the newer, so that what is in use now is young.
    std::unique_ptr<TextLayout> kept;
    if (auto older = m_olderLayouts.find(key); older != m_olderLayouts.end()) {
        kept = std::move(older->second);
        m_olderLayouts.erase(older);
    }
    if (m_layouts.size() >= kMaxLayoutsPerFont) {
        m_olderLayouts = std::move(m_layouts);
        m_layouts.clear();
    }
    if (kept != nullptr) {
        const TextLayout* result = kept.get();
        m_layouts.emplace(std::move(key), std::move(kept));
        return result;
    }

    auto made = std::make_unique<TextLayout>();
    made->layout = pango_layout_new(SharedPangoContext());
    pango_layout_set_font_description(made->layout, m_description);
    if (m_attributes != nullptr)
        pango_layout_set_attributes(made->layout, m_attributes);
    pango_layout_set_single_paragraph_mode(made->layout, singleParagraph);
    if (wrapWidth >= 0) {
        pango_layout_set_width(made->layout, std::max(wrapWidth, 1) * PANGO_SCALE);
        pango_layout_set_wrap(made->layout, PANGO_WRAP_WORD);
    }
    // Tab stops every eight average characters, as Win32 expands tabs.
    PangoTabArray* tabs = pango_tab_array_new_with_positions(1, TRUE, PANGO_TAB_LEFT, 8 * m_aveCharWidth);
    pango_layout_set_tabs(made->layout, tabs);
    pango_tab_array_free(tabs);
    pango_layout_set_text(made->layout, utf8.bytes.data(), static_cast<int>(utf8.bytes.size()));
    made->text = std::move(utf8);
    made->lineCount = pango_layout_get_line_count(made->layout);
    for (int i = 0; i < made->lineCount; ++i)
        made->width = std::max(made->width, made->LineWidth(i));
    const TextLayout* result = made.get();
    m_layouts.emplace(std::move(key), std::move(made));
    return result;
}

FontInstance* InstanceOf(Font* font) {
    if (font->instance == nullptr) {
        // Equal fonts share one instance (and its layouts), however many HFONTs name them.
        static auto* instances = new std::map<std::string, std::shared_ptr<FontInstance>>;
        const LOGFONTW& log = font->log;
        std::string key = faceToUtf8(log.lfFaceName) + '\0' + std::to_string(log.lfHeight) + ',' +
                          std::to_string(log.lfWeight) + ',' + std::to_string(log.lfItalic) + ',' +
                          std::to_string(log.lfUnderline) + ',' + std::to_string(log.lfStrikeOut);
        auto& slot = (*instances)[key];
        if (slot == nullptr)
            slot = std::make_shared<FontInstance>(log);
        font->instance = slot;
    }
    return font->instance.get();
}

} // namespace platform::gdi
