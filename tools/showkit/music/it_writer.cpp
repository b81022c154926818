#include "it_writer.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace musickit {

namespace {

constexpr std::size_t kInstrumentSize = 554;
constexpr std::size_t kEnvelopeSize = 82;
constexpr std::size_t kMaxMessage = 8000;
constexpr std::uint16_t kTrackerVersion = 0x0214;

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  std::size_t size() const { return out_.size(); }
  void u8(std::uint8_t v) { out_.push_back(v); }
  void u16(std::uint32_t v) {
    u8(static_cast<std::uint8_t>(v));
    u8(static_cast<std::uint8_t>(v >> 8));
  }
  void u32(std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void magic(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }
  void zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }
  // A fixed-size text field: the text cut to size - 1 characters, NUL-padded.
  void text(std::string_view s, std::size_t size) {
    const std::size_t n = std::min(s.size(), size - 1);
    out_.insert(out_.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    zeros(size - n);
  }
  void patch32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void patch16(std::size_t at, std::uint32_t v) {
    out_[at] = static_cast<std::uint8_t>(v);
    out_[at + 1] = static_cast<std::uint8_t>(v >> 8);
  }

 private:
  std::vector<std::uint8_t>& out_;
};

std::string checkModule(const ItModule& m) {
  if (m.channels < 1 || m.channels > kMaxChannels) return "channel count out of range";
  if (m.samples.size() > kMaxSamples) return "too many samples";
  if (m.instruments.size() > kMaxInstruments) return "too many instruments";
  if (m.patterns.empty() || m.patterns.size() > kMaxPatterns) return "pattern count out of range";
  if (m.orders.empty() || m.orders.size() > kMaxOrders) return "order count out of range";
  if (m.initialSpeed < 1 || m.initialTempo < 32) return "initial speed or tempo out of range";
  if (m.globalVolume > 128 || m.mixVolume > 128 || m.separation > 128) return "volume out of range";
  if (m.message.size() >= kMaxMessage) return "message too long";
  for (std::uint8_t order : m.orders)
    if (order != kOrderSkip && order >= m.patterns.size()) return "order names a missing pattern";
  const int limit = static_cast<int>(m.instruments.empty() ? m.samples.size() : m.instruments.size());
  for (std::size_t p = 0; p < m.patterns.size(); ++p) {
    const ItPattern& pattern = m.patterns[p];
    const std::string where = "pattern " + std::to_string(p) + ": ";
    if (pattern.rows < kMinRows || pattern.rows > kMaxRows) return where + "row count out of range";
    if (pattern.channels < 1 || pattern.channels > m.channels) return where + "channel count out of range";
    if (pattern.cells.size() != static_cast<std::size_t>(pattern.rows) * pattern.channels) return where + "cell count";
    for (const ItCell& c : pattern.cells) {
      if (c.note > 119 && c.note != kNoNote && c.note < 246) return where + "note out of range";
      if (c.instrument > limit) return where + "instrument out of range";
      if (c.volume > 212 && c.volume != kNoVolume) return where + "volume column out of range";
      if (c.effect > 26) return where + "effect out of range";
    }
  }
  for (const ItInstrument& ins : m.instruments) {
    if (ins.sample < 1 || ins.sample > static_cast<int>(m.samples.size())) return ins.name + ": sample out of range";
    if (ins.volumeEnvelope.size() > 25) return ins.name + ": envelope too long";
    if (ins.sustainNode >= static_cast<int>(ins.volumeEnvelope.size())) return ins.name + ": sustain node";
    if (ins.fadeOut > 128 || ins.globalVolume > 128 || ins.newNoteAction > 3) return ins.name + ": value out of range";
    for (std::size_t i = 0; i < ins.volumeEnvelope.size(); ++i) {
      const EnvelopeNode& node = ins.volumeEnvelope[i];
      if (node.value < 0 || node.value > 64 || node.tick > 9999) return ins.name + ": envelope node out of range";
      if (i > 0 && node.tick <= ins.volumeEnvelope[i - 1].tick) return ins.name + ": envelope ticks not rising";
    }
  }
  for (const ItSample& s : m.samples) {
    if (s.globalVolume > 64 || s.defaultVolume > 64 || s.pan > 64) return s.name + ": volume or pan out of range";
    if (s.c5Speed == 0 || s.c5Speed > 9999999) return s.name + ": C-5 speed out of range";
    if (s.loop && (s.loopBegin >= s.loopEnd || s.loopEnd > s.pcm.size())) return s.name + ": loop outside the sample";
  }
  return {};
}

void writeEnvelope(ByteWriter& w, const ItInstrument& ins) {
  const std::size_t start = w.size();
  const bool on = !ins.volumeEnvelope.empty();
  const bool sustain = on && ins.sustainNode >= 0;
  w.u8((on ? 0x01 : 0) | (sustain ? 0x04 : 0));
  w.u8(static_cast<std::uint8_t>(ins.volumeEnvelope.size()));
  w.u8(0);  // loop begin
  w.u8(0);  // loop end
  w.u8(sustain ? static_cast<std::uint8_t>(ins.sustainNode) : 0);
  w.u8(sustain ? static_cast<std::uint8_t>(ins.sustainNode) : 0);
  for (const EnvelopeNode& node : ins.volumeEnvelope) {
    w.u8(static_cast<std::uint8_t>(node.value));
    w.u16(node.tick);
  }
  w.zeros(kEnvelopeSize - (w.size() - start));
}

void writeInstrument(ByteWriter& w, const ItInstrument& ins) {
  const std::size_t start = w.size();
  w.magic("IMPI");
  w.zeros(12 + 1);  // DOS file name and the 0 at 0x10
  w.u8(ins.newNoteAction);
  w.u8(0);  // duplicate check off
  w.u8(0);
  w.u16(ins.fadeOut);
  w.u8(0);   // pitch-pan separation
  w.u8(60);  // pitch-pan centre
  w.u8(ins.globalVolume);
  w.u8(0x80);  // no default pan
  w.u8(0);     // random volume
  w.u8(0);     // random pan
  w.u16(kTrackerVersion);
  w.u8(1);  // samples used
  w.u8(0);
  w.text(ins.name, 26);
  w.u8(0);  // filter cutoff off
  w.u8(0);  // resonance off
  w.u8(0);
  w.u8(0);
  w.u16(0);
  for (int note = 0; note < 120; ++note) {
    w.u8(static_cast<std::uint8_t>(note));
    w.u8(static_cast<std::uint8_t>(ins.sample));
  }
  writeEnvelope(w, ins);
  ItInstrument off;  // panning and pitch envelopes unused
  writeEnvelope(w, off);
  writeEnvelope(w, off);
  w.zeros(kInstrumentSize - (w.size() - start));
}

// Writes the sample header; returns the position of its PCM pointer for patching.
std::size_t writeSampleHeader(ByteWriter& w, const ItSample& s) {
  w.magic("IMPS");
  w.zeros(12 + 1);
  w.u8(s.globalVolume);
  std::uint8_t flags = 0;
  if (!s.pcm.empty()) flags |= 0x01 | 0x02;
  if (s.loop) flags |= 0x10;
  if (s.loop && s.pingPong) flags |= 0x40;
  w.u8(flags);
  w.u8(s.defaultVolume);
  w.text(s.name, 26);
  w.u8(0x01);  // signed PCM
  w.u8(s.pan >= 0 ? static_cast<std::uint8_t>(0x80 | s.pan) : 32);
  w.u32(static_cast<std::uint32_t>(s.pcm.size()));
  w.u32(s.loop ? s.loopBegin : 0);
  w.u32(s.loop ? s.loopEnd : 0);
  w.u32(s.c5Speed);
  w.u32(0);
  w.u32(0);
  const std::size_t pointer = w.size();
  w.u32(0);
  w.u8(s.vibratoSpeed);
  w.u8(s.vibratoDepth);
  w.u8(s.vibratoRate);
  w.u8(s.vibratoWave);
  return pointer;
}

}  // namespace

std::vector<std::uint8_t> packPattern(const ItPattern& pattern) {
  std::vector<std::uint8_t> out;
  if (pattern.rows < 0 || pattern.channels < 0 || pattern.channels > kMaxChannels ||
      pattern.cells.size() != static_cast<std::size_t>(pattern.rows) * static_cast<std::size_t>(pattern.channels))
    return out;
  // What each channel last stored; the reader remembers the same within a pattern.
  struct Memory {
    int mask = -1;
    bool hasNote = false, hasInstrument = false, hasVolume = false, hasCommand = false;
    ItCell last;
  };
  std::vector<Memory> memory(static_cast<std::size_t>(pattern.channels));
  for (int row = 0; row < pattern.rows; ++row) {
    for (int ch = 0; ch < pattern.channels; ++ch) {
      const ItCell& c = pattern.at(row, ch);
      if (c.empty()) continue;
      Memory& m = memory[static_cast<std::size_t>(ch)];
      int mask = 0;
      std::vector<std::uint8_t> payload;
      if (c.note != kNoNote) {
        if (m.hasNote && m.last.note == c.note) {
          mask |= 0x10;
        } else {
          mask |= 0x01;
          payload.push_back(c.note);
          m.hasNote = true;
          m.last.note = c.note;
        }
      }
      if (c.instrument != 0) {
        if (m.hasInstrument && m.last.instrument == c.instrument) {
          mask |= 0x20;
        } else {
          mask |= 0x02;
          payload.push_back(c.instrument);
          m.hasInstrument = true;
          m.last.instrument = c.instrument;
        }
      }
      if (c.volume != kNoVolume) {
        if (m.hasVolume && m.last.volume == c.volume) {
          mask |= 0x40;
        } else {
          mask |= 0x04;
          payload.push_back(c.volume);
          m.hasVolume = true;
          m.last.volume = c.volume;
        }
      }
      if (c.effect != 0) {
        if (m.hasCommand && m.last.effect == c.effect && m.last.parameter == c.parameter) {
          mask |= 0x80;
        } else {
          mask |= 0x08;
          payload.push_back(c.effect);
          payload.push_back(c.parameter);
          m.hasCommand = true;
          m.last.effect = c.effect;
          m.last.parameter = c.parameter;
        }
      }
      if (mask == m.mask) {
        out.push_back(static_cast<std::uint8_t>(ch + 1));
      } else {
        out.push_back(static_cast<std::uint8_t>((ch + 1) | 0x80));
        out.push_back(static_cast<std::uint8_t>(mask));
        m.mask = mask;
      }
      out.insert(out.end(), payload.begin(), payload.end());
    }
    out.push_back(0);
  }
  return out;
}

ItEncoding encodeIt(const ItModule& m) {
  ItEncoding result;
  result.error = checkModule(m);
  if (!result.error.empty()) return result;

  std::vector<std::vector<std::uint8_t>> packed;
  for (const ItPattern& pattern : m.patterns) {
    packed.push_back(packPattern(pattern));
    if (packed.back().size() + 8 >= 0x10000) {
      result.error = "pattern " + std::to_string(packed.size() - 1) + " packs to 64 KiB or more";
      return result;
    }
  }

  std::vector<std::uint8_t>& out = result.bytes;
  ByteWriter w(out);
  const std::size_t orderCount = m.orders.size() + 1;
  w.magic("IMPM");
  w.text(m.name, 26);
  w.u8(4);
  w.u8(16);
  w.u16(static_cast<std::uint32_t>(orderCount));
  w.u16(static_cast<std::uint32_t>(m.instruments.size()));
  w.u16(static_cast<std::uint32_t>(m.samples.size()));
  w.u16(static_cast<std::uint32_t>(m.patterns.size()));
  w.u16(kTrackerVersion);
  w.u16(kTrackerVersion);
  w.u16(m.instruments.empty() ? 0x0009 : 0x000D);
  w.u16(m.message.empty() ? 0 : 1);
  w.u8(m.globalVolume);
  w.u8(m.mixVolume);
  w.u8(m.initialSpeed);
  w.u8(m.initialTempo);
  w.u8(m.separation);
  w.u8(0);
  const std::size_t messageField = w.size();
  w.u16(0);
  w.u32(0);
  w.u32(0);
  for (int ch = 0; ch < kMaxChannels; ++ch)
    w.u8(ch < m.channels ? std::min<std::uint8_t>(m.channelPan[ch], 64) : 0xA0);
  for (int ch = 0; ch < kMaxChannels; ++ch) w.u8(std::min<std::uint8_t>(m.channelVolume[ch], 64));

  for (std::uint8_t order : m.orders) w.u8(order);
  w.u8(255);
  const std::size_t instrumentTable = w.size();
  w.zeros(4 * m.instruments.size());
  const std::size_t sampleTable = w.size();
  w.zeros(4 * m.samples.size());
  const std::size_t patternTable = w.size();
  w.zeros(4 * m.patterns.size());

  if (!m.message.empty()) {
    const std::size_t at = w.size();
    for (char c : m.message) w.u8(c == '\n' ? 0x0D : static_cast<std::uint8_t>(c));
    w.u8(0);
    w.patch16(messageField, static_cast<std::uint32_t>(m.message.size() + 1));
    w.patch32(messageField + 2, static_cast<std::uint32_t>(at));
  }
  for (std::size_t i = 0; i < m.instruments.size(); ++i) {
    w.patch32(instrumentTable + 4 * i, static_cast<std::uint32_t>(w.size()));
    writeInstrument(w, m.instruments[i]);
  }
  std::vector<std::size_t> pcmPointers;
  for (std::size_t i = 0; i < m.samples.size(); ++i) {
    w.patch32(sampleTable + 4 * i, static_cast<std::uint32_t>(w.size()));
    pcmPointers.push_back(writeSampleHeader(w, m.samples[i]));
  }
  for (std::size_t i = 0; i < m.patterns.size(); ++i) {
    w.patch32(patternTable + 4 * i, static_cast<std::uint32_t>(w.size()));
    w.u16(static_cast<std::uint32_t>(packed[i].size()));
    w.u16(static_cast<std::uint32_t>(m.patterns[i].rows));
    w.u32(0);
    out.insert(out.end(), packed[i].begin(), packed[i].end());
  }
  for (std::size_t i = 0; i < m.samples.size(); ++i) {
    if (m.samples[i].pcm.empty()) continue;
    w.patch32(pcmPointers[i], static_cast<std::uint32_t>(w.size()));
    for (std::int16_t v : m.samples[i].pcm) w.u16(static_cast<std::uint16_t>(v));
  }
  return result;
}

}  // namespace musickit
