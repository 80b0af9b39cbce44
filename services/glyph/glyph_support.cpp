#include "glyph/glyph_support.h"

#include <QGuiApplication>

#include "glyph/qt_glyph_rasterizer.h"

namespace kestra {

struct GlyphSupport::Impl {
    int argc = 1;
    char name[11] = "kestra-ctl";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QGuiApplication> app;
    std::unique_ptr<QtGlyphRasterizer> rasterizer;
};

GlyphSupport::GlyphSupport() : impl_(std::make_unique<Impl>()) {}
GlyphSupport::~GlyphSupport() = default;

const GlyphRasterizer& GlyphSupport::rasterizer() const {
    if (!impl_->rasterizer) {
        if (QGuiApplication::instance() == nullptr) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
                qEnvironmentVariableIsEmpty("DISPLAY") &&
                qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
                qputenv("QT_QPA_PLATFORM", "offscreen");
            }
            impl_->app = std::make_unique<QGuiApplication>(impl_->argc, impl_->argv);
        }
        impl_->rasterizer = std::make_unique<QtGlyphRasterizer>();
    }
    return *impl_->rasterizer;
}

GlyphCell GlyphSupport::render(char32_t code_point, bool wide) const {
    return rasterizer().render(code_point, wide);
}

}  // namespace kestra
