#pragma once
// Helpers of the configuration page shared by its handler files.
class TVornicSPComm;

// Shows the window's ModuleSettings in the page's lists, fields, check boxes and radio
// buttons. Lists are set without running their change handlers; a code that a list has no
// entry for leaves it with no selection, a packet-length code outside 1..6 leaves the radio
// buttons as they are.
void ShowModuleSettings(TVornicSPComm& w);

// Wires the page's controls to their handlers and installs the fields' key filters and
// focus-leave checks.
void ConnectConfigPage(TVornicSPComm& w);
