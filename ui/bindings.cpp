#include "ui/bindings.h"

#include <QMouseEvent>
#include <QShortcut>
#include <QTimer>

#include "platform/qt/text_codec.h"
#include "ui/menu_images.h"
#include "ui/text_area.h"

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

void CloseOnEscape(QWidget* window) {
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  escape->setContext(Qt::WindowShortcut);
  QObject::connect(escape, &QShortcut::activated, window, [window] { window->close(); });
}

}  // namespace quorlen
