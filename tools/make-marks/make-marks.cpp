// make-marks OUTDIR
//
// Draws the module's PNG images:
//   1-7    fund markers, one shape and colour per investment type (12 x 12)
//   8-14   the same seven shapes in gold, for the per-type averages (14 x 14)
//   15     an orange star for the market index (16 x 16)
//   20, 21 108 x 13 bars for gains (red) and losses (green), as the Chinese market colours them
//   22     the 108 x 13 bar of the allocation pages (blue)
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

struct Colour {
    double r, g, b;
};

Colour hex(unsigned rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

enum class Shape { Circle, Square, Diamond, Triangle, InvertedTriangle, Star, Hexagon };

void regularPolygon(cairo_t* cr, double cx, double cy, double radius, int corners, double startAngle) {
    for (int i = 0; i < corners; ++i) {
        double a = startAngle + 2 * M_PI * i / corners;
        double x = cx + radius * std::cos(a), y = cy + radius * std::sin(a);
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
}

void shapePath(cairo_t* cr, Shape shape, double size) {
    double c = size / 2, r = size / 2 - 1.2;
    switch (shape) {
    case Shape::Circle:
        cairo_arc(cr, c, c, r, 0, 2 * M_PI);
        break;
    case Shape::Square:
        cairo_rectangle(cr, c - r * 0.85, c - r * 0.85, r * 1.7, r * 1.7);
        break;
    case Shape::Diamond:
        regularPolygon(cr, c, c, r, 4, -M_PI / 2);
        break;
    case Shape::Triangle:
        regularPolygon(cr, c, c + r * 0.15, r, 3, -M_PI / 2);
        break;
    case Shape::InvertedTriangle:
        regularPolygon(cr, c, c - r * 0.15, r, 3, M_PI / 2);
        break;
    case Shape::Hexagon:
        regularPolygon(cr, c, c, r, 6, 0);
        break;
    case Shape::Star:
        for (int i = 0; i < 10; ++i) {
            double a = -M_PI / 2 + M_PI * i / 5;
            double radius = (i % 2 == 0) ? r : r * 0.45;
            double x = c + radius * std::cos(a), y = c + radius * std::sin(a);
            if (i == 0)
                cairo_move_to(cr, x, y);
            else
                cairo_line_to(cr, x, y);
        }
        cairo_close_path(cr);
        break;
    }
}

bool writeMark(const std::string& dir, int id, Shape shape, int size, Colour fill, Colour outline) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    shapePath(cr, shape, size);
    cairo_set_source_rgb(cr, fill.r, fill.g, fill.b);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgb(cr, outline.r, outline.g, outline.b);
    cairo_stroke(cr);
    cairo_destroy(cr);
    std::string path = dir + "/mark" + std::to_string(id) + ".png";
    bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

// A bar with a soft vertical gradient and a darker edge, so that it reads as a solid bar when the
// pages stretch it to a value's length.
bool writeBar(const std::string& dir, int id, Colour top, Colour bottom, Colour edge) {
    const int width = 108, height = 13;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_set_source(cr, gradient);
    cairo_fill(cr);
    cairo_pattern_destroy(gradient);
    cairo_rectangle(cr, 0.5, 0.5, width - 1, height - 1);
    cairo_set_source_rgb(cr, edge.r, edge.g, edge.b);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_destroy(cr);
    std::string path = dir + "/bar" + std::to_string(id) + ".png";
    bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-marks OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    // QDII, capital-guaranteed, bond, index, hybrid, equity, other.
    const Shape shapes[7] = {Shape::Hexagon,          Shape::Square, Shape::Diamond, Shape::Triangle,
                             Shape::InvertedTriangle, Shape::Circle, Shape::Star};
    const unsigned colours[7] = {0xE040FB, 0x26C6DA, 0x42A5F5, 0x9CCC65, 0xFFA726, 0xEF5350, 0xB0BEC5};
    bool ok = true;
    for (int i = 0; i < 7; ++i) {
        ok = ok && writeMark(dir, i + 1, shapes[i], 12, hex(colours[i]), hex(0x101010));
        ok = ok && writeMark(dir, i + 8, shapes[i], 14, hex(0xFFD54F), hex(0x8D6E00));
    }
    ok = ok && writeMark(dir, 15, Shape::Star, 16, hex(0xFF8C00), hex(0x7A3E00));
    ok = ok && writeBar(dir, 20, hex(0xFF6F60), hex(0xC62828), hex(0x8E0000));
    ok = ok && writeBar(dir, 21, hex(0x76D275), hex(0x2E7D32), hex(0x005005));
    ok = ok && writeBar(dir, 22, hex(0x6AB7FF), hex(0x1565C0), hex(0x003C8F));
    if (!ok) {
        std::fprintf(stderr, "make-marks: could not write the images into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
