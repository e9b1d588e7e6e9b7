#pragma once

// Decides how windows holding web views are drawn, before the first one is
// made: through OpenGL where a graphics card draws it, in software where
// OpenGL would itself only be emulated on the processor (virtual machines,
// remote desktops). There, software drawing is several times cheaper: a
// frame of the main window costs a few milliseconds instead of ten or more.
namespace Composition {

// True when OpenGL is missing or drawn by the processor.
bool openGLIsEmulated();

// Chooses software drawing when openGLIsEmulated(). Call once, after the
// application object is made and before any web view is.
void choose();

} // namespace Composition
