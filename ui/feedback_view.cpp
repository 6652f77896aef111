#include "ui/feedback_view.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/menu_images.h"

namespace quorlen {

FeedbackView::FeedbackView(frmFeedback& model) : QWidget(nullptr, Qt::Window), model_(model) {
  setWindowIcon(ProgramIcon());
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Make<QLabel>(model.Label5));
  auto* body = new QPlainTextEdit;
  BindTyped(body, model.txtBody);
  body->setAccessibleName(QStringLiteral("Comment"));
  layout->addWidget(body, 1);
  layout->addWidget(Make<QLabel>(model.Label3));
  auto* email = Make<QLineEdit>(model.txtEmail);
  email->setAccessibleName(QStringLiteral("Email"));
  layout->addWidget(email);
  layout->addWidget(Make<QLabel>(model.Label4));
  layout->addWidget(Make<QLabel>(model.Label2));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Make<QPushButton>(model.cmdSend));
  buttons->addWidget(Make<QPushButton>(model.cmdCancel));
  layout->addLayout(buttons);
  Bind(static_cast<QWidget*>(this), model.window);
  KeepTextsWhole(this);
  CloseOnEscape(this);
}

void FeedbackView::closeEvent(QCloseEvent* event) {
  model_.cmdCancel_Click();
  event->accept();
}

}  // namespace quorlen
