// The help text in the receive window and the maker's links.
#include <QDesktopServices>
#include <QPushButton>
#include <QUrl>

#include "gui/widgets/controls.h"
#include "core/text/help_text.h"
#include "gui/window/main_window.h"
#include "core/text/maker.h"
#include "gui/widgets/receive_view.h"

void TVornicSPComm::ConnectHelpLinks() {
  connect(B_Help, &QPushButton::clicked, this, [this] { B_HelpClick(); });
  connect(Label23, &LinkLabel::pressed, this, [this] { OpenMakerAddress(); });
  connect(Label24, &LinkLabel::pressed, this, [this] { OpenMakerAddress(); });
}

void TVornicSPComm::B_HelpClick() { M_ReceiverData->SetContent(HelpTextGbk()); }

void TVornicSPComm::OpenMakerAddress() {
  // Nothing is shown when no browser opens.
  QDesktopServices::openUrl(QUrl(QString::fromUtf8(kMakerUrl)));
}
