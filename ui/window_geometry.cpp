#include "ui/window_geometry.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "platform/qt/text_codec.h"
#include "ui/bindings.h"

namespace quorlen {

namespace {

// Time the window manager takes to frame a window that was just shown.
constexpr int kFramedMs = 100;

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

// At least as tall as the window's wrapped texts need at its width.
void FitToTexts(QWidget* window) {
  QLayout* layout = window->layout();
  if (!layout || !layout->hasHeightForWidth()) return;
  int needed = layout->totalHeightForWidth(window->width());
  if (window->minimumHeight() != needed) window->setMinimumHeight(needed);
  if (window->height() < needed) window->resize(window->width(), needed);
}

// Where a window opens that the program gives no place: centred over the settings
// window, the program's one main window, while it is shown, else over the screen.
void PlaceFirstShown(QWidget* window) {
  // The layout's own needs first, so that the size centred is the size shown.
  if (window->layout()) window->layout()->activate();
  FitToTexts(window);
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
  void Fit() { FitToTexts(window_); }

  QWidget* window_;
};

}  // namespace

void KeepTextsWhole(QWidget* window) { new TextKeeper(window); }

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
