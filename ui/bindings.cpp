#include "ui/bindings.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "platform/qt/text_codec.h"
#include "ui/menu_images.h"

namespace quorlen {

namespace {

// A label clips what does not fit its box, and no label of the program is taller than
// this many lines: the rest of a long text (a report of 65,534 added servers) is never
// seen, and laying it out would cost a second and tens of megabytes.
constexpr size_t kShownLines = 100;

QString ShownText(const std::string& caption) {
  size_t end = 0;
  for (size_t lines = 0; lines < kShownLines; ++lines) {
    end = caption.find('\n', end);
    if (end == std::string::npos) return FromSingleByte(caption);
    ++end;
  }
  return FromSingleByte(caption.substr(0, end));
}

// One screen frame: a progress bar moved more often than this shows nothing more.
constexpr int kFrameMs = 16;

// Time the window manager takes to frame a window that was just shown.
constexpr int kFramedMs = 100;

// Holds a connection for as long as its parent object lives.
class ConnectionKeeper : public QObject {
 public:
  ConnectionKeeper(QObject* owner, Connection connection)
      : QObject(owner), connection_(std::move(connection)) {}

 private:
  Connection connection_;
};

}  // namespace

void Watch(QObject* owner, Signal<>& signal, std::function<void()> slot) {
  new ConnectionKeeper(owner, signal.Connect(std::move(slot)));
}

void Bind(QLabel* widget, Label& model) {
  auto show = [widget, &model] {
    widget->setText(ShownText(model.Caption()));
    widget->setEnabled(model.Enabled());
    widget->setVisible(model.Visible());
  };
  show();
  Watch(widget, model.changed, show);
  widget->setWordWrap(true);
  widget->setTextFormat(Qt::PlainText);
}

void Bind(QCheckBox* widget, CheckBox& model) {
  auto show = [widget, &model] {
    widget->setText(FromSingleByte(model.Caption()));
    widget->setEnabled(model.Enabled());
    QSignalBlocker quiet(widget);
    widget->setChecked(model.Ticked());
  };
  show();
  Watch(widget, model.changed, show);
  QObject::connect(widget, &QCheckBox::clicked, widget,
                   [&model](bool ticked) { model.SetTicked(ticked); });
}

void Bind(QPushButton* widget, Button& model) {
  auto show = [widget, &model] {
    widget->setText(FromSingleByte(model.Caption()));
    widget->setEnabled(model.Enabled());
    widget->setDefault(model.Default());
  };
  show();
  Watch(widget, model.changed, show);
  QObject::connect(widget, &QPushButton::clicked, widget, [&model] { model.Click(); });
}

void Bind(QLineEdit* widget, TextBox& model) {
  auto show = [widget, &model] {
    QString text = FromSingleByte(model.Text());
    if (widget->text() != text) {
      widget->setText(text);
      // A text the program puts in shows from its start, a file's path with its folder
      // first; what the user types keeps the cursor where the user put it.
      widget->setCursorPosition(0);
    }
    widget->setEnabled(model.Enabled());
  };
  show();
  Watch(widget, model.changed, show);
  QObject::connect(widget, &QLineEdit::textEdited, widget,
                   [&model](const QString& text) { model.SetText(ToSingleByte(text)); });
}

namespace {

// The program's line ends are CR LF; Qt's text areas keep lines apart by LF alone.
QString AreaText(const std::string& text) {
  return FromSingleByte(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void ReadOnlyTextArea(QPlainTextEdit* widget) {
  widget->setReadOnly(true);
  widget->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // Tab leaves the area instead of being typed into it.
  widget->setTabChangesFocus(true);
  widget->setUndoRedoEnabled(false);  // nothing typed there to undo, and no history to keep
}

// The status area can hold tens of thousands of lines (the report of a build), and
// laying out a document that long anew is a pause the user feels. So the text is put in
// only while the area can be seen, catching up when it is shown, and a text that only
// grew at its start or end ("Settings Saved" above a report) is grown there.
class StatusArea : public QObject {
 public:
  StatusArea(QPlainTextEdit* widget, Label& model)
      : QObject(widget), widget_(widget), model_(model) {
    widget->installEventFilter(this);
    Show();
    Watch(this, model.changed, [this] { Show(); });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == widget_ && event->type() == QEvent::Show && stale_) ShowText();
    return false;
  }

 private:
  void Show() {
    widget_->setEnabled(model_.Enabled());
    widget_->setVisible(model_.Visible());
    stale_ = true;
    if (widget_->isVisible()) ShowText();
  }

  void ShowText() {
    stale_ = false;
    QString text = AreaText(model_.Caption());
    if (text == shown_) return;
    const bool grownAtStart = !shown_.isEmpty() && text.endsWith(shown_);
    const bool grownAtEnd = !shown_.isEmpty() && text.startsWith(shown_);
    if (grownAtStart || grownAtEnd) {
      QTextCursor cursor(widget_->document());
      if (grownAtStart) {
        cursor.insertText(text.first(text.size() - shown_.size()));
      } else {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text.sliced(shown_.size()));
      }
      // Where a new text would show: from its top.
      widget_->moveCursor(QTextCursor::Start);
    } else {
      widget_->setPlainText(text);
    }
    shown_ = std::move(text);
  }

  QPlainTextEdit* widget_;
  Label& model_;
  QString shown_;
  bool stale_ = false;
};

}  // namespace

namespace {

// Shows the text box's text and enabled state in the area, now and at every change.
void ShowTextBox(QPlainTextEdit* widget, TextBox& model) {
  auto show = [widget, &model] {
    QString text = AreaText(model.Text());
    if (widget->toPlainText() != text) widget->setPlainText(text);
    widget->setEnabled(model.Enabled());
  };
  show();
  Watch(widget, model.changed, show);
}

}  // namespace

void Bind(QPlainTextEdit* widget, TextBox& model) {
  ShowTextBox(widget, model);
  ReadOnlyTextArea(widget);
}

void BindTyped(QPlainTextEdit* widget, TextBox& model) {
  ShowTextBox(widget, model);
  widget->setTabChangesFocus(true);
  QObject::connect(widget, &QPlainTextEdit::textChanged, widget, [widget, &model] {
    QString text = widget->toPlainText();
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    model.SetText(ToSingleByte(text));
  });
}

void Bind(QPlainTextEdit* widget, Label& model) {
  ReadOnlyTextArea(widget);
  new StatusArea(widget, model);
}

void Bind(QListWidget* widget, ListBox& model) {
  auto show = [widget, &model] {
    QSignalBlocker quiet(widget);
    bool same = widget->count() == model.Count();
    for (int i = 0; same && i < model.Count(); ++i) {
      same = widget->item(i)->text() == FromSingleByte(model.Item(i));
    }
    if (!same) {
      widget->clear();
      for (const auto& item : model.Items()) widget->addItem(FromSingleByte(item));
    }
    widget->setCurrentRow(model.ListIndex());
    if (model.ListIndex() < 0) widget->clearSelection();
  };
  show();
  Watch(widget, model.changed, show);
  QObject::connect(widget, &QListWidget::itemClicked, widget,
                   [widget, &model](QListWidgetItem* item) {
                     int row = widget->row(item);
                     if (row == model.ListIndex()) {
                       if (model.onClick) model.onClick();
                     } else {
                       model.SetListIndex(row);
                     }
                   });
  QObject::connect(widget, &QListWidget::itemDoubleClicked, widget, [&model](QListWidgetItem*) {
    if (model.onDoubleClick) model.onDoubleClick();
  });
}

void Bind(QProgressBar* widget, ProgressBar& model) {
  // The bar repaints at once on every move, and a long loop moves it tens of thousands of
  // times: moves are shown at most once a frame, the last one always, while showing and
  // hiding take effect at once.
  auto* frame = new QTimer(widget);
  frame->setSingleShot(true);
  frame->setInterval(kFrameMs);
  auto show = [widget, &model] {
    widget->setRange(model.Min(), model.Max());
    widget->setValue(model.Value());
    widget->setVisible(model.Visible());
  };
  QObject::connect(frame, &QTimer::timeout, widget, show);
  show();
  Watch(widget, model.changed, [widget, &model, frame, show] {
    if (widget->isHidden() == model.Visible()) {
      frame->stop();
      show();
    } else if (!frame->isActive()) {
      frame->start();
    }
  });
}

void Bind(QTabWidget* widget, TabStrip& model) {
  auto show = [widget, &model] {
    QSignalBlocker quiet(widget);
    widget->setCurrentIndex(model.CurrentPage());
  };
  show();
  Watch(widget, model.changed, show);
  QObject::connect(widget, &QTabWidget::currentChanged, widget,
                   [&model](int page) { model.SetCurrentPage(page); });
}

void Bind(QAction* action, MenuItem& model) {
  auto show = [action, &model] {
    action->setText(FromSingleByte(model.Caption()));
    action->setEnabled(model.Enabled());
    action->setVisible(model.Visible());
    action->setChecked(model.Checked());
    if (!model.ImageKey().empty()) action->setIcon(MenuImage(model.ImageKey()));
  };
  action->setCheckable(model.Checked());
  show();
  Watch(action, model.changed, [action, &model, show] {
    if (model.Checked()) action->setCheckable(true);
    show();
  });
  // The model decides the check mark; Qt's own toggle on trigger is undone by show().
  QObject::connect(action, &QAction::triggered, action, [&model, show] {
    model.Click();
    show();
  });
}

LinkLabel::LinkLabel(Label& model) : model_(model) {
  Bind(this, model);
  setCursor(Qt::PointingHandCursor);
  setStyleSheet("color: #1a4fb5; text-decoration: underline;");
}

void LinkLabel::mouseReleaseEvent(QMouseEvent*) {
  if (model_.onClick) model_.onClick();
}

PictureLink::PictureLink(Label& model, int size, const QString& tip, const QString& accessibleName)
    : model_(model) {
  setPixmap(ProgramIcon().pixmap(size, size));
  setCursor(Qt::PointingHandCursor);
  setToolTip(tip);
  if (!accessibleName.isEmpty()) setAccessibleName(accessibleName);
}

void PictureLink::mouseReleaseEvent(QMouseEvent* event) {
  if (rect().contains(event->pos()) && model_.onClick) model_.onClick();
}
namespace {

// Moves a window that was placed partly off the screen (a tall window opened low down)
// back into sight, so that none of its buttons is out of reach.
void KeepOnScreen(QWidget* window) {
  if (!window->isVisible() || window->isMinimized() || !window->screen()) return;
  const QRect free = window->screen()->availableGeometry();
  const QRect frame = window->frameGeometry();
  int dx = std::min(0, free.right() - frame.right());
  int dy = std::min(0, free.bottom() - frame.bottom());
  dx = std::max(dx, free.left() - frame.left());
  dy = std::max(dy, free.top() - frame.top());
  if (dx != 0 || dy != 0) window->move(window->pos() + QPoint(dx, dy));
}

// Where a window opens that the program gives no place: centred over the settings
// window, the program's one main window, while it is shown, else over the screen.
void PlaceFirstShown(QWidget* window) {
  // The layout's own needs first, so that the size centred is the size shown.
  if (window->layout()) window->layout()->activate();
  QRect over;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top != window && qobject_cast<QMainWindow*>(top) && top->isVisible() &&
        !top->isMinimized()) {
      over = top->frameGeometry();
    }
  }
  if (over.isNull()) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    over = screen->availableGeometry();
  }
  window->move(over.center() - QPoint(window->width() / 2, window->height() / 2));
}

// Tells the window model what the user did to the window: resized, moved or minimised it.
class WindowWatcher : public QObject {
 public:
  WindowWatcher(QWidget* window, Window& model, std::shared_ptr<Geometry> applied)
      : QObject(window), window_(window), model_(model), applied_(std::move(applied)) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != window_) return false;
    switch (event->type()) {
      case QEvent::Resize:
      case QEvent::Move: {
        if (!window_->isVisible() || window_->isMinimized()) break;
        Geometry now{window_->x(), window_->y(), window_->width(), window_->height()};
        if (now == model_.Bounds()) break;
        *applied_ = now;
        model_.SetBounds(now);
        break;
      }
      case QEvent::Show:
        // The window manager's frame is known only once it has framed the window.
        QTimer::singleShot(kFramedMs, window_, [window = window_] { KeepOnScreen(window); });
        break;
      case QEvent::WindowStateChange:
        if (model_.Visible() && window_->isMinimized() != model_.Minimized()) {
          model_.SetMinimized(window_->isMinimized());
        }
        break;
      default:
        break;
    }
    return false;
  }

 private:
  QWidget* window_;
  Window& model_;
  std::shared_ptr<Geometry> applied_;
};

class TextKeeper : public QObject {
 public:
  explicit TextKeeper(QWidget* window) : QObject(window), window_(window) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto type = event->type();
    if (watched == window_ &&
        (type == QEvent::Resize || type == QEvent::Show || type == QEvent::LayoutRequest)) {
      Fit();
    }
    return false;
  }

 private:
  void Fit() {
    QLayout* layout = window_->layout();
    if (!layout || !layout->hasHeightForWidth()) return;
    int needed = layout->totalHeightForWidth(window_->width());
    if (window_->minimumHeight() != needed) window_->setMinimumHeight(needed);
    if (window_->height() < needed) window_->resize(window_->width(), needed);
  }

  QWidget* window_;
};

}  // namespace

void KeepTextsWhole(QWidget* window) { new TextKeeper(window); }

void CloseOnEscape(QWidget* window) {
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  escape->setContext(Qt::WindowShortcut);
  QObject::connect(escape, &QShortcut::activated, window, [window] { window->close(); });
}

void Bind(QWidget* window, Window& model) {
  auto showAsTold = [window, &model] {
    window->setWindowTitle(FromSingleByte(model.Caption()));
    bool onTop = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (onTop != model.TopMost()) {
      window->setWindowFlag(Qt::WindowStaysOnTopHint, model.TopMost());
    }
    if (!model.Visible()) {
      window->hide();
    } else if (model.Minimized()) {
      if (!window->isMinimized()) window->showMinimized();
    } else if (window->isMinimized() || !window->isVisible()) {
      // Back from the task bar or the tray: restored and in front.
      window->showNormal();
      window->raise();
      window->activateWindow();
    }
  };
  // The bounds last given by the program or taken from the user: only a different value
  // from the program moves or resizes the window.
  auto applied = std::make_shared<Geometry>(model.Bounds());
  window->resize(applied->width, applied->height);
  // Placed once: later openings find the window where it was last.
  auto placed = std::make_shared<bool>(applied->left != 0 || applied->top != 0);
  if (*placed) window->move(applied->left, applied->top);
  auto show = [window, &model, placed, raw = showAsTold] {
    if (model.Visible() && !*placed) {
      *placed = true;
      PlaceFirstShown(window);
    }
    raw();
  };
  show();
  Watch(window, model.changed, [window, &model, show, applied, placed] {
    const Geometry& b = model.Bounds();
    if (b != *applied) {
      *applied = b;
      if (window->size() != QSize(b.width, b.height)) window->resize(b.width, b.height);
      if (b.left != 0 || b.top != 0) {
        *placed = true;  // the program's own place, as the message window's corner
        if (window->pos() != QPoint(b.left, b.top)) window->move(b.left, b.top);
      }
    }
    show();
  });
  Watch(window, model.raiseRequested, [window] {
    window->raise();
    window->activateWindow();
  });
  new WindowWatcher(window, model, applied);
}

}  // namespace quorlen
