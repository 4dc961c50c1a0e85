#pragma once
// A module played by the test behind a ModulePeer, whose behaviour the test switches between
// exchanges: sound, or one of the ways a module misbehaves.
#include <mutex>
#include <utility>
#include <vector>

#include "core/module/module_responder.h"
#include "module/module_peer.h"

enum class Behaviour {
  Sound,        // answers as the protocol says and keeps what is written to it
  Garbled,      // the right answer, but its first byte is not '$'
  Rubbish200,   // 200 bytes of rubbish for every request
  IdentifyOnly, // answers the identify request and nothing else
  Holding,      // keeps its answers back until the test takes them
  Forgetful,    // acknowledges a write but keeps what it held
};

// 200 bytes that do not begin with '$'.
inline std::vector<uint8_t> Rubbish() {
  std::vector<uint8_t> bytes(200);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  return bytes;
}

// The module behind a ModulePeer; the test switches its behaviour between exchanges.
class SwitchableModule {
 public:
  explicit SwitchableModule(const ConfigBlock& block, Behaviour behaviour = Behaviour::Sound)
      : behaviour_(behaviour), block_(block) {}

  ModulePeer::Answer Answers() {
    return [this](const ModuleRequest& request) { return Answer(request); };
  }
  void Become(Behaviour behaviour) {
    std::lock_guard lock(mutex_);
    behaviour_ = behaviour;
  }
  // Set up anew with `block` (so that an answer from before is told apart), and sound.
  void Reconfigure(const ConfigBlock& block) {
    std::lock_guard lock(mutex_);
    block_ = block;
    behaviour_ = Behaviour::Sound;
  }
  ConfigBlock Block() const {
    std::lock_guard lock(mutex_);
    return block_;
  }
  std::vector<uint8_t> TakeHeld() {
    std::lock_guard lock(mutex_);
    return std::exchange(held_, {});
  }

 private:
  std::vector<uint8_t> Answer(const ModuleRequest& request) {
    std::lock_guard lock(mutex_);
    if (behaviour_ == Behaviour::Rubbish200) return Rubbish();
    if (behaviour_ == Behaviour::IdentifyOnly && request.command != ModuleCommand::Identify) return {};
    if (behaviour_ == Behaviour::Sound && request.command == ModuleCommand::Write) block_ = request.block;
    std::vector<uint8_t> reply = request.command == ModuleCommand::Identify ? IdentifyReply(ModuleIdentity{})
                                 : request.command == ModuleCommand::Read   ? ReadReply(block_)
                                                                            : WriteReply();
    if (behaviour_ == Behaviour::Garbled) reply[0] = 0x00;
    if (behaviour_ != Behaviour::Holding) return reply;
    held_.insert(held_.end(), reply.begin(), reply.end());
    return {};
  }

  mutable std::mutex mutex_;
  Behaviour behaviour_;
  ConfigBlock block_;
  std::vector<uint8_t> held_;
};

// A sound module on a port of its own.
struct SoundModule {
  explicit SoundModule(const ConfigBlock& block) : module(block) {}
  SwitchableModule module;
  ModulePeer peer{module.Answers()};
};
