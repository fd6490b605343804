#include "images/thumbnail_fit.h"

#include <cmath>

namespace {

// The nearest whole number, halves going up.
uint32_t Nearest(double value)
{
    double rounded = std::floor(value + 0.5);
    return rounded < 1.0 ? 1u : static_cast<uint32_t>(rounded);
}

}  // namespace

ThumbnailFit FitThumbnail(uint32_t width, uint32_t height, uint32_t edge)
{
    ThumbnailFit fit = { false, width, height, 0, 0 };
    if (width > edge || height >= edge) {
        double aspect = static_cast<double>(width) / static_cast<double>(height ? height : 1);
        if (aspect > 1.0) {
            fit.width = edge;
            fit.height = Nearest(edge / aspect);
        } else {
            fit.height = edge;
            fit.width = Nearest(edge * aspect);
        }
        fit.scale = true;
    }
    fit.x = fit.width < edge ? (edge - fit.width) / 2 : 0;
    fit.y = fit.height < edge ? (edge - fit.height) / 2 : 0;
    return fit;
}
