#pragma once
// The window's texts stand in the sources as UTF-8 literals, Chinese, as the window shows them
// by default. Every text a person reads goes through WindowText::tr, which gives the text in
// the language chosen at start (gui/window/interface_language.h) and the text itself when no
// translation is installed. One context for the whole window keeps one wording for one
// meaning; a disambiguation (tr's second argument) separates the few texts that read the same
// in Chinese but not in English.
//
// Texts kept in tables or constants are marked with QT_TRANSLATE_NOOP("WindowText", ...)
// (core, which has no Qt, marks them with SHOWN_TEXT, core/text/shown_text.h) and translated
// where they are shown.
//
// U() turns a UTF-8 text that is not translated (a web address, a symbol) into a QString.
#include <QCoreApplication>
#include <QString>

class WindowText {
  Q_DECLARE_TR_FUNCTIONS(WindowText)
};

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }
