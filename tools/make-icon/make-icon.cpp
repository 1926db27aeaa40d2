// make-icon OUTDIR SIZE...
//
// Draws the program's icon at each size into OUTDIR/<SIZE>x<SIZE>/apps/fundcompare.png, the
// layout of the freedesktop hicolor icon theme, so that the folder installs as it is.
//
// The picture: three funds side by side as bars in the dark theme's colours, on a rounded tile,
// with two value lines crossing above them from 32 pixels up. Every size is drawn from the
// vectors rather than scaled from a large picture, so that the small ones stay sharp: edges of
// bars fall on whole pixels and the lines are left out where they would only blur.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

namespace {

struct Colour {
    double r, g, b;
};

constexpr Colour kTile{0.082, 0.098, 0.133};    // the toolbar of the dark theme
constexpr Colour kTileEdge{0.18, 0.204, 0.251}; // its border
constexpr Colour kGold{1.0, 0.839, 0.0};        // the selected tab
constexpr Colour kRed{0.906, 0.298, 0.235};     // gains
constexpr Colour kBlue{0.239, 0.557, 0.918};    // the allocation bars

void setColour(cairo_t* cr, Colour c, double alpha = 1.0) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void roundedRectangle(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void draw(cairo_t* cr, int size) {
    const double s = size;
    // The tile, with a one-pixel border from 24 pixels up.
    const double inset = size >= 32 ? s / 32.0 : 0.0;
    roundedRectangle(cr, inset, inset, s - 2 * inset, s - 2 * inset, s * 0.18);
    setColour(cr, kTile);
    cairo_fill_preserve(cr);
    if (size >= 24) {
        setColour(cr, kTileEdge);
        cairo_set_line_width(cr, std::max(1.0, s / 64.0));
        cairo_stroke(cr);
    } else {
        cairo_new_path(cr);
    }

    // Three bars on a common base below the lines, snapped to whole pixels.
    const double base = std::round(s * 0.82);
    const double barWidth = std::max(2.0, std::round(s * 0.16));
    const double gap = std::max(1.0, std::round(s * 0.07));
    const double left = std::round((s - 3 * barWidth - 2 * gap) / 2);
    // Without the lines (below 32 pixels) the bars take the whole tile.
    const double scale = size >= 32 ? 1.0 : 1.8;
    const double heights[3] = {0.2 * scale, 0.34 * scale, 0.27 * scale};
    const Colour colours[3] = {kBlue, kGold, kRed};
    for (int i = 0; i < 3; ++i) {
        double x = left + i * (barWidth + gap);
        double top = std::round(base - s * heights[i]);
        cairo_rectangle(cr, x, top, barWidth, base - top);
        setColour(cr, colours[i]);
        cairo_fill(cr);
    }

    // Two value lines crossing: one fund overtaking another.
    if (size >= 32) {
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_width(cr, s / 28.0);
        const double rising[][2] = {{0.18, 0.4}, {0.4, 0.33}, {0.6, 0.3}, {0.8, 0.18}};
        const double falling[][2] = {{0.18, 0.2}, {0.4, 0.27}, {0.6, 0.24}, {0.8, 0.36}};
        for (const auto& line : {std::make_pair(rising, kGold), std::make_pair(falling, kBlue)}) {
            for (int i = 0; i < 4; ++i) {
                double x = line.first[i][0] * s, y = line.first[i][1] * s;
                if (i == 0)
                    cairo_move_to(cr, x, y);
                else
                    cairo_line_to(cr, x, y);
            }
            setColour(cr, line.second, 0.95);
            cairo_stroke(cr);
        }
        // A mark on the last point of the leading line.
        cairo_arc(cr, rising[3][0] * s, rising[3][1] * s, s / 20.0, 0, 2 * M_PI);
        setColour(cr, kGold);
        cairo_fill(cr);
    }
}

bool writeIcon(const std::filesystem::path& folder, int size) {
    const std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
    const std::filesystem::path directory = folder / sizeName / "apps";
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        std::fprintf(stderr, "make-icon: cannot create %s: %s\n", directory.c_str(), error.message().c_str());
        return false;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    draw(cr, size);
    cairo_destroy(cr);
    const std::filesystem::path file = directory / "fundcompare.png";
    cairo_status_t status = cairo_surface_write_to_png(surface, file.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "make-icon: cannot write %s: %s\n", file.c_str(),
                     cairo_status_to_string(status));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make-icon OUTDIR SIZE...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        char* end = nullptr;
        long size = std::strtol(argv[i], &end, 10);
        if (end == argv[i] || *end != '\0' || size < 16 || size > 1024) {
            std::fprintf(stderr, "make-icon: a size is 16 to 1024 pixels, not '%s'\n", argv[i]);
            return 2;
        }
        if (!writeIcon(argv[1], static_cast<int>(size)))
            return 1;
    }
    return 0;
}
