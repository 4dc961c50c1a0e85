#include "serial/telnet_stream.h"

namespace telnet {

void StreamDecoder::Break(const uint8_t* pending, size_t count, StreamSink& sink) {
  state_ = State::Broken;
  sub_.clear();
  sink.Data(pending, count);
}

void StreamDecoder::Feed(const uint8_t* bytes, size_t count, StreamSink& sink) {
  size_t i = 0;
  while (i < count) {
    switch (state_) {
      case State::Broken:
        sink.Data(bytes + i, count - i);
        return;
      case State::Data: {
        // Hand on the run of plain data up to the next IAC in one piece.
        size_t end = i;
        while (end < count && bytes[end] != kIac) ++end;
        if (end > i) sink.Data(bytes + i, end - i);
        if (end < count) state_ = State::Command;
        i = end + 1;
        break;
      }
      case State::Command: {
        const uint8_t b = bytes[i++];
        if (b == kIac) {
          sink.Data(&b, 1);
          state_ = State::Data;
        } else if (b >= kWill) {
          verb_ = b;
          state_ = State::Option;
        } else if (b == kSb) {
          state_ = State::SubOption;
        } else if (b >= kSe) {
          state_ = State::Data;  // NOP, GA, AYT and the like: nothing for a serial line
        } else {
          const uint8_t pending[2] = {kIac, b};
          Break(pending, 2, sink);
        }
        break;
      }
      case State::Option:
        sink.Negotiation(verb_, bytes[i++]);
        state_ = State::Data;
        break;
      case State::SubOption:
        sub_.assign(1, bytes[i++]);
        state_ = State::SubData;
        break;
      case State::SubData: {
        const uint8_t b = bytes[i++];
        if (b == kIac) {
          state_ = State::SubCommand;
        } else if (sub_.size() > kMaxSubnegotiation) {
          std::vector<uint8_t> pending{kIac, kSb};
          pending.insert(pending.end(), sub_.begin(), sub_.end());
          pending.push_back(b);
          Break(pending.data(), pending.size(), sink);
        } else {
          sub_.push_back(b);
        }
        break;
      }
      case State::SubCommand: {
        const uint8_t b = bytes[i++];
        if (b == kIac) {
          sub_.push_back(kIac);
          state_ = State::SubData;
        } else if (b == kSe) {
          sink.Subnegotiation(sub_[0], sub_.data() + 1, sub_.size() - 1);
          sub_.clear();
          state_ = State::Data;
        } else {
          std::vector<uint8_t> pending{kIac, kSb};
          pending.insert(pending.end(), sub_.begin(), sub_.end());
          pending.push_back(kIac);
          pending.push_back(b);
          Break(pending.data(), pending.size(), sink);
        }
        break;
      }
    }
  }
}

void AppendData(const uint8_t* bytes, size_t count, std::vector<uint8_t>& out) {
  for (size_t i = 0; i < count; ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == kIac) out.push_back(kIac);
  }
}

void AppendNegotiation(uint8_t verb, uint8_t option, std::vector<uint8_t>& out) {
  out.insert(out.end(), {kIac, verb, option});
}

void AppendSubnegotiation(uint8_t option, const uint8_t* payload, size_t count, std::vector<uint8_t>& out) {
  out.insert(out.end(), {kIac, kSb});
  AppendData(&option, 1, out);
  AppendData(payload, count, out);
  out.insert(out.end(), {kIac, kSe});
}

}  // namespace telnet
