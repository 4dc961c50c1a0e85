#pragma once
// Plain models for the receive formatting fuzzer: the text rendering of bytes and the receive
// window that follows the store's updates.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

struct ReceiveUpdate;

// The text rendering of `bytes` starting from an empty text: NUL (0x00) is left out and a
// backspace (0x08) removes the last character kept so far, if any.
std::string ReferenceText(std::span<const uint8_t> bytes);

// The receive window as the display keeps it: re-set, or its head dropped and text appended.
// After a clear the window may still get the rendering of bytes read before the clear (they
// were pending); until the next re-set it then holds that stale head in front of the kept
// buffer, at most `staleLimit` characters of it.
struct ReferenceWindow {
  std::string content;
  bool stale = false;
  size_t staleLimit = 0;

  // Stops the run when an update drops more than the window holds.
  void Apply(const ReceiveUpdate& update);
  void Reset(std::string text);
  void Clear(size_t pendingRendered);
  // The window shows exactly the kept buffer (or, while stale, ends with it).
  bool Shows(const std::string& kept) const;
};
