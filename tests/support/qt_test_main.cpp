// The main of every test program that runs on Qt's event loop. The views need a widget
// application and draw off screen without a display; sockets, D-Bus and the browser
// clients need only the core application.
#include <gtest/gtest.h>

#ifdef QUORLEN_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
#ifdef QUORLEN_TEST_WIDGETS
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  TestApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
