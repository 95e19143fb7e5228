// Test entry for every test folder that needs Qt: one QApplication per process, headless.
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  Application app(argc, argv);
  return RUN_ALL_TESTS();
}
