#include "app/composition.h"

#include <QByteArray>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>

namespace Composition {

bool openGLIsEmulated()
{
    QOpenGLContext context;
    if (!context.create())
        return true;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return true;
    const auto *name = context.functions()->glGetString(GL_RENDERER);
    const QByteArray renderer = name ? QByteArray(reinterpret_cast<const char *>(name)).toLower() : QByteArray();
    context.doneCurrent();
    // Mesa's and Microsoft's processor-drawn OpenGL.
    static const char *const emulated[] = {"llvmpipe", "softpipe", "swrast", "software rasterizer", "gdi generic"};
    for (const char *kind : emulated) {
        if (renderer.isEmpty() || renderer.contains(kind))
            return true;
    }
    return false;
}

void choose()
{
    if (openGLIsEmulated())
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

} // namespace Composition
