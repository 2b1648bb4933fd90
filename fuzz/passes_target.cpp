#include "fuzz/passes_target.h"
#include "host/module_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fight/fight_state.h"
#include "settings/fight_settings.h"
#include "sim/module_run.h"

namespace ruckvale::fuzz {

namespace {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint64_t Bytes(std::size_t n) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(Byte()) << (8 * i);
    return v;
  }
  void Fill(unsigned char* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = Byte();
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "passes fuzz: %s\n", what);
    std::abort();
  }
}

unsigned char* Address(std::uint64_t arg) {
  return reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(arg));
}

}  // namespace

void RunPassesOnce(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  sim::ModuleRun run;
  run.game.record = false;
  bool waited = false;
  run.game.observer = [&](const sim::Call& c) { waited = waited || c.name == "scriptWait"; };
  run.game.answer_override = [&](NativeHash hash, const sim::Call& c, std::uint64_t* slots) {
    // A few bits say how wide the answer is, so that small values and
    // garbage in the high bits both come up.
    const std::uint8_t shape = in.Byte();
    switch (hash) {
      case NativeHash::GET_PED_NEARBY_PEDS:
        in.Fill(Address(c.args[1]), std::min<std::size_t>(in.Byte(), 8 + 32 * 8));
        break;
      case NativeHash::ADD_RELATIONSHIP_GROUP:
        in.Fill(Address(c.args[1]), shape & 1 ? 8 : 4);
        break;
      case NativeHash::GET_ENTITY_COORDS:
        for (int i = 0; i < 3; ++i) slots[i] = in.Bytes(shape & 1 ? 8 : 4);
        return true;
      default:
        break;
    }
    slots[0] = in.Bytes(shape & 2 ? 8 : 1);
    return true;
  };
  {
    // The start-up reads no ini (the defaults, then the input's settings) in
    // a folder of its own; the working folder is the fuzzer's again after it,
    // so a relative corpus folder stays where it was.
    sim::IniFolder no_ini(std::nullopt);
    run.Start();
    run.Frame(0);
  }
  FightSettings& s = Module().settings;
  s.fight_group_size = static_cast<std::int8_t>(in.Byte()) % 40;
  const std::uint8_t flags = in.Byte();
  s.humans_only = (flags & 1) != 0;
  // The law's tests and relations: asked only when these say so.
  s.lawmen_fight = (flags & 2) == 0;
  s.law_steps_in = (flags & 4) != 0;
  const auto radius = static_cast<std::uint32_t>(in.Bytes(4));
  std::memcpy(&s.fight_radius, &radius, sizeof radius);
  s.fight_timer = static_cast<std::int8_t>(in.Byte());
  s.fight_chance = static_cast<std::int8_t>(in.Byte());
  s.melee_chance = static_cast<std::int32_t>(static_cast<std::uint32_t>(in.Bytes(4)));
  s.bow_chance = static_cast<std::int8_t>(in.Byte());
  for (int frame = 0; frame < 3000 && !in.empty(); ++frame) {
    const std::uint8_t control = in.Byte();
    run.game.world.keys_down[s.key_trigger] = control & 1;
    waited = false;
    run.Frame(static_cast<std::uint32_t>(control) * 41u);
    Check(waited, "a pass ended without scriptWait");
    const std::size_t roster = Module().fight.roster.size();
    Check(roster <= 32, "the roster outgrew the nearby buffer");
    Check(s.fight_group_size < 0 || roster <= static_cast<std::size_t>(s.fight_group_size) ||
              roster == 0,
          "the roster outgrew fight_group_size");
  }
  run.host.Unload();
}

}  // namespace ruckvale::fuzz
