#pragma once
// Marks a text of the core that the window shows to the user, so that the translation tools
// find it (they take SHOWN_TEXT for QT_TRANSLATE_NOOP). The text stays what it is here; the
// window translates it in the named context when it shows it (gui/widgets/ui_text.h).
#define SHOWN_TEXT(context, text) text
