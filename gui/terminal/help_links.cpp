// The help text in the receive window and the maker's links.
#include "gui/terminal/terminal_page.h"

#include <QPushButton>

#include "core/text/help_text.h"
#include "gui/widgets/maker_link.h"
#include "gui/widgets/receive_view.h"

void TerminalPage::B_HelpClick() { M_ReceiverData->SetContent(HelpTextGbk()); }

void TerminalPage::OpenMakerAddress() { OpenMakerWebAddress(); }
