#pragma once
// The start function: the application object, the main window, the message loop.
int RunApplication(int argc, char** argv);
