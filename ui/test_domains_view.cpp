#include "ui/test_domains_view.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/list_box_view.h"
#include "ui/menu_images.h"

namespace quorlen {

TestDomainsView::TestDomainsView(frmTestDomains& model)
    : QWidget(nullptr, Qt::Window), model_(model) {
  setWindowIcon(ProgramIcon());
  auto* layout = new QVBoxLayout(this);

  auto* steps = new QHBoxLayout;
  for (Button* step : {&model.cmdTest, &model.cmdTestFail, &model.cmdUpdate, &model.Command2,
                       &model.cmdStopTimer}) {
    steps->addWidget(Make<QPushButton>(*step));
  }
  steps->addStretch(1);
  layout->addLayout(steps);

  auto* folder = new QHBoxLayout;
  folder->addWidget(Make<QLabel>(model.lblDir));
  folder->addWidget(Make<QLineEdit>(model.txtDir), 1);
  folder->addWidget(Make<QPushButton>(model.cmdOpenDomains));
  folder->addWidget(Make<QPushButton>(model.cmdOpenRemovals));
  layout->addLayout(folder);

  auto* lists = new QGridLayout;
  lists->addWidget(Make<QLabel>(model.lblTry), 0, 0);
  lists->addWidget(Make<QLabel>(model.lblTryCount), 0, 1, Qt::AlignRight);
  lists->addWidget(Make<QLabel>(model.lblFail), 0, 2);
  lists->addWidget(Make<QLabel>(model.lblFailCount), 0, 3, Qt::AlignRight);
  lists->addWidget(MakeListView(model.lstTry), 1, 0, 1, 2);
  lists->addWidget(MakeListView(model.lstFail), 1, 2, 1, 2);
  lists->addWidget(Make<QPushButton>(model.Command3), 2, 0);
  lists->addWidget(Make<QLabel>(model.lblTries), 2, 2, 1, 2);
  lists->setColumnStretch(0, 1);
  lists->setColumnStretch(2, 1);
  layout->addLayout(lists, 2);

  for (Label* line : {&model.lblTryStatus, &model.lblFailStatus, &model.lblErr, &model.lblStatus}) {
    layout->addWidget(Make<QLabel>(*line));
  }
  auto* result = Make<QPlainTextEdit>(model.txtResult);
  result->setMaximumBlockCount(200);
  layout->addWidget(result, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(Make<QProgressBar>(model.ProgressBar1), 1);
  bottom->addWidget(Make<QPushButton>(model.cmdOK));
  layout->addLayout(bottom);

  Bind(static_cast<QWidget*>(this), model.window);
  CloseOnEscape(this);
}

void TestDomainsView::closeEvent(QCloseEvent* event) {
  if (model_.window.Visible()) model_.cmdOK_Click();
  event->accept();
}

}  // namespace quorlen
