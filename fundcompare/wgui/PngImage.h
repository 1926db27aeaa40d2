// LoadPngImage: a GDI+ image of one of the module's PNG resources (type "PNG", numeric id), for
// the bars of the grids and the stars of the risk-return map.
#pragma once

namespace Gdiplus {
class Image;
}

// The image of the resource, owned by the caller; null when the resource is missing, empty or not
// an image (the callers then draw without it).
Gdiplus::Image* LoadPngImage(int id);
