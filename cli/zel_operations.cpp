#include "cli/zel_operations.h"

#include <variant>

#include "core/module/blocking_exchange.h"
#include "core/module/module_protocol.h"

namespace {

PortOutcome Failure(const std::string& port, int exitCode, const std::string& why, bool answered) {
  return {port, exitCode, port + ": " + why, std::nullopt, answered};
}

// The port could not be used; nothing was sent.
PortOutcome StartFailure(const std::string& port, ExchangeStart start) {
  const char* why = start == ExchangeStart::PortMissingOrBusy    ? "cannot open the port (no such port, or it is in use)"
                    : start == ExchangeStart::SettingsUnreadable ? "cannot read the port's line settings (not a serial port?)"
                                                                 : "the port does not take the module's line (9600 bit/s, 8N1)";
  return Failure(port, kExitPortUnusable, why, false);
}

// What went wrong with a reply that was judged a failure.
std::string ReplyFault(const ExchangeResult& result, const char* request) {
  if (result.replyBytes == 0) return std::string("no module answered the ") + request;
  if (!result.answered) {
    const uint32_t n = result.replyBytes;
    return std::string("the answer to the ") + request + " is not a module's (" + std::to_string(n) +
           (n == 1 ? " byte" : " bytes") + " of something else)";
  }
  return std::string("the module's answer to the ") + request + " is incomplete";
}

// One read exchange; a failure already made into the outcome.
std::variant<ModuleState, PortOutcome> ReadState(BlockingModuleExchange& exchange, const std::string& port,
                                                 const char* request) {
  const ExchangeResult result = exchange.Read(port);
  if (result.start != ExchangeStart::Started) return StartFailure(port, result.start);
  if (!result.ok()) return Failure(port, kExitModuleFailed, ReplyFault(result, request), result.answered);
  return ModuleState{result.verdict.model, result.verdict.version, result.verdict.settings};
}

// "freq: wrote 433.92, the module holds 433.5; ..." for every field that differs.
std::string Differences(const ModuleSettings& wrote, const ModuleSettings& holds) {
  std::string text;
  for (const ModuleField field : kModuleFields) {
    const std::string a = FieldShownText(wrote, field), b = FieldShownText(holds, field);
    if (a == b) continue;
    text += (text.empty() ? "" : "; ") + std::string(FieldName(field)) + ": wrote " + a + ", the module holds " + b;
  }
  return text;
}

}  // namespace

PortOutcome ReadModule(BlockingModuleExchange& exchange, const std::string& port) {
  auto read = ReadState(exchange, port, "read");
  if (auto* failed = std::get_if<PortOutcome>(&read)) return std::move(*failed);
  return {port, kExitOk, {}, std::get<ModuleState>(std::move(read)), true};
}

PortOutcome WriteModule(BlockingModuleExchange& exchange, const std::string& port, const FieldChanges& changes) {
  auto before = ReadState(exchange, port, "read");
  if (auto* failed = std::get_if<PortOutcome>(&before)) return std::move(*failed);
  const ModuleSettings wanted = changes.AppliedTo(std::get<ModuleState>(before).settings);

  const ExchangeResult write = exchange.Write(port, wanted);
  if (write.start != ExchangeStart::Started) return StartFailure(port, write.start);
  if (!write.ok()) return Failure(port, kExitModuleFailed, ReplyFault(write, "write"), true);

  auto after = ReadState(exchange, port, "read after the write");
  if (auto* failed = std::get_if<PortOutcome>(&after)) {
    failed->moduleAnswered = true;
    return std::move(*failed);
  }
  ModuleState& state = std::get<ModuleState>(after);
  // What the module can hold of what was sent: the wire keeps only bit 0 of the switches.
  const ModuleSettings sent = DecodeConfigBlock(EncodeConfigBlock(wanted));
  if (state.settings != sent) {
    return Failure(port, kExitModuleFailed, "the module does not hold what was written: " + Differences(sent, state.settings),
                   true);
  }
  return {port, kExitOk, {}, std::move(state), true};
}
