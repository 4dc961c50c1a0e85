// The help text in the receive window and the maker's links.
#include "gui/terminal/terminal_page.h"

#include <QPushButton>

#include "core/text/help_text.h"
#include "gui/widgets/maker_link.h"
#include "gui/widgets/receive_view.h"
#include "gui/widgets/ui_text.h"

void TerminalPage::B_HelpClick() {
  M_ReceiverData->SetContent(HelpTextGbk([](const char* line) { return WindowText::tr(line).toStdString(); }));
}

void TerminalPage::OpenMakerAddress() { OpenMakerWebAddress(); }
