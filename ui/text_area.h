#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <string>

#include "platform/qt/text_codec.h"

namespace quorlen {

// The program's line ends are CR LF; Qt's text areas keep lines apart by LF alone.
inline QString AreaText(const std::string& text) {
  return FromSingleByte(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

inline void ReadOnlyTextArea(QPlainTextEdit* widget) {
  widget->setReadOnly(true);
  widget->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // Tab leaves the area instead of being typed into it.
  widget->setTabChangesFocus(true);
  widget->setUndoRedoEnabled(false);  // nothing typed there to undo, and no history to keep
}

}  // namespace quorlen
