// The window tests of the transmit side, one program: each class gets fresh windows.
#include <QApplication>
#include <QTest>

#include "transmit/preset_panel_test.h"
#include "transmit/transmit_panel_test.h"
#include "transmit/typed_keys_test.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failed = 0;
  {
    TransmitPanelTest test;
    failed += QTest::qExec(&test, argc, argv);
  }
  {
    PresetPanelTest test;
    failed += QTest::qExec(&test, argc, argv);
  }
  {
    TypedKeysTest test;
    failed += QTest::qExec(&test, argc, argv);
  }
  return failed == 0 ? 0 : 1;
}
