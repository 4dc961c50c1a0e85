// The program: a small main over the window library.
#include "gui/window/start.h"

int main(int argc, char** argv) { return RunApplication(argc, argv); }
