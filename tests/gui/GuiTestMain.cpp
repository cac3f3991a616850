// Widget tests run on the offscreen platform with one application object,
// with the fonts that scripts/setup.sh installs.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  // The windows are laid out with the fonts a fresh set-up has, not with
  // whatever else this machine has installed.
  qputenv("FONTCONFIG_FILE", QByteArrayLiteral(AMBRELIN_SETUP_FONTS_CONF));
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
