#pragma once

#include <QWidget>

#include "core/controls.h"

namespace quorlen {

// The window's caption, visibility, size, z-order and minimised state. A size or place
// the program gives is applied once; the user's own resizing, moving and minimising go
// back to the model, so a later change of caption or z-order keeps them. A window the
// program gives no place opens centred over the settings window (over the screen while
// that is hidden) and later where the user left it.
void Bind(QWidget* window, Window& model);
// Keeps a window at least as tall as its wrapped texts need at its current width, so a
// larger font or a narrower window never cuts a text at the bottom.
void KeepTextsWhole(QWidget* window);

}  // namespace quorlen
