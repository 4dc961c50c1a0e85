#include "receive_reference.h"

#include <cstdlib>

#include "core/receive/receive_store.h"

std::string ReferenceText(std::span<const uint8_t> bytes) {
  std::string text;
  for (const uint8_t byte : bytes) {
    if (byte == 0x00) continue;
    if (byte == 0x08) {
      if (!text.empty()) text.pop_back();
      continue;
    }
    text.push_back(static_cast<char>(byte));
  }
  return text;
}

void ReferenceWindow::Apply(const ReceiveUpdate& update) {
  if (update.Reset) {
    Reset(update.Bytes);
    return;
  }
  if (update.DroppedHead > content.size()) std::abort();  // would drop text never shown
  content.erase(0, update.DroppedHead);
  if (update.TailCut > content.size()) std::abort();  // would cut text never shown
  content.resize(content.size() - update.TailCut);
  content += update.Bytes;
}

void ReferenceWindow::Reset(std::string text) {
  content = std::move(text);
  stale = false;
  staleLimit = 0;
}

void ReferenceWindow::Clear(size_t pendingRendered) {
  content.clear();
  stale = pendingRendered > 0;
  staleLimit = pendingRendered;
}

bool ReferenceWindow::Shows(const std::string& kept) const {
  if (!stale) return content == kept;
  return content.size() >= kept.size() && content.size() - kept.size() <= staleLimit &&
         content.compare(content.size() - kept.size(), kept.size(), kept) == 0;
}
