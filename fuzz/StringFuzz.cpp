// Fuzz target `string`: a random sequence of operations on a few CKanji objects of random codes,
// switches and growth steps, under a random memory limit. After every operation:
//  - anything thrown is a CThrowErr from one of the library's throw sites;
//  - every object's GetSize() is the length of its text up to the first NUL;
//  - the buffers of the live objects add up to the process-wide count (no work object kept a
//    byte), and an object's input code is as before unless the operation sets or detects it;
//  - where no conversion happens (input code = output code) assignments give the text back, and
//    comparisons agree with each other and leave both texts alone.
// When the objects are gone the process-wide count is back at zero.
#include <climits>
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "FuzzSupport.h"

namespace {

using mojiwa_fuzz::Hex;

class Probe : public CKanji {
 public:
  using CKanji::CKanji;
  static unsigned long AllSize() { return dwAllSize; }
  static unsigned long MemLimit() { return dwMemLimit; }
  unsigned long Held() const { return dwBuffSize; }
  ESHIFT Shift() const { return eShift; }
};

std::string Text(const CKanji& k) { return std::string(k.GetBuff(), k.GetSize()); }
bool Plain(const CKanji& k) { return k.GetModeInput() == k.GetModeOutput(); }

constexpr int kSlots = 5;
// Self appends double a text; past this length they stop, so that growth steps of a few bytes
// (each growth copies the whole text) keep a run short.
constexpr unsigned long kLongText = 4096;

class Sequence {
 public:
  explicit Sequence(mojiwa_fuzz::FuzzInput& in) : in_(in) {}

  void Run() {
    for (int op = 0; op < 96 && !in_.Empty(); ++op) {
      const int kind = in_.Byte() % 32, a = in_.Byte() % kSlots, b = in_.Byte() % kSlots;
      what_ = "op " + std::to_string(op) + " kind " + std::to_string(kind);
      const CKanji* const object = Slot(a);
      const CKanji::EMODE input = object->GetModeInput();
      One(kind, *slots_[a], *Slot(b), a);
      unsigned long held = 0;
      for (const auto& slot : slots_) {
        if (!slot) continue;
        FUZZ_CHECK(std::strlen(slot->GetBuff()) == slot->GetSize(), what_ + Hex(Text(*slot)));
        held += slot->Held();
      }
      FUZZ_CHECK(Probe::AllSize() == held, what_ + " held " + std::to_string(held));
      // Only detection (input EMODE_AUTO) and the operations that set codes change an input code.
      const bool sets = kind == 8 || kind >= 24 || input == CKanji::EMODE_AUTO;
      FUZZ_CHECK(sets || slots_[a]->GetModeInput() == input, what_ + " input code changed");
    }
  }

 private:
  template <class Op>
  bool Try(Op op) {
    try {
      op();
      return true;
    } catch (const CThrowErr& error) {
      mojiwa_fuzz::CheckError(error);
      return false;
    } catch (...) {
      mojiwa_fuzz::Fail(__FILE__, __LINE__, "only CThrowErr is thrown", what_);
    }
  }

  std::string TakeText() { return in_.Bytes(64); }

  CKanji* Slot(std::uint8_t pick) {
    if (!slots_[pick % kSlots]) Make(pick % kSlots, false);
    return slots_[pick % kSlots].get();
  }

  // A new object with settings from the input; output EMODE_AUTO is refused by construction.
  void Make(int slot, bool with_text) {
    static const unsigned long kSteps[] = {0, 1, 2, 3, 5, 16, 100, 1024, 4096};
    const std::uint8_t codes = in_.Byte(), f = in_.Byte();
    const auto output = static_cast<CKanji::EMODE>(codes % 4 == 3 && codes < 0x80 ? 1 : codes % 4);
    const auto input = static_cast<CKanji::EMODE>((codes >> 2) % 4);
    const unsigned long step = kSteps[(f >> 4) % 9];
    const std::string text = with_text ? TakeText() : std::string();
    slots_[slot].reset();
    Try([&] {
      slots_[slot].reset(
          with_text ? new Probe(text.c_str(), output, input, f & 1, f & 2, f & 4, f & 8, step)
                    : new Probe(output, input, f & 1, f & 2, f & 4, f & 8, step));
    });
    FUZZ_CHECK(slots_[slot] || output == CKanji::EMODE_AUTO || with_text, what_);
    if (!slots_[slot]) slots_[slot].reset(new Probe());
  }

  void One(int kind, CKanji& a, CKanji& b, int a_slot) {
    const std::string before = Text(a), other = Text(b);
    switch (kind) {
      case 0:
      case 1:
      case 2:
      case 3: {  // assign, append, Set and Add (raw bytes, NULs included) in the input code
        const std::string text = TakeText();
        // A JIS text left in another set (by an append the limit cut short) is closed after the
        // appended bytes; an assignment starts in the Roman set.
        const bool closes = a.GetModeOutput() == CKanji::EMODE_JIS && kind % 2 == 1 &&
                            static_cast<Probe&>(a).Shift() != CKanji::ESHIFT_ASCII;
        const bool ok = Try([&] {
          if (kind == 0) a = text.c_str();
          if (kind == 1) a += text.c_str();
          if (kind == 2) a.Set(text.data(), text.size());
          if (kind == 3) a.Add(text.data(), text.size());
        });
        if (ok && Plain(a)) {
          const std::string want =
              (kind % 2 == 0 ? "" : before) + text.c_str() + (closes ? "\x1B(B" : "");
          FUZZ_CHECK(Text(a) == want, what_ + Hex(text) + "\n  got " + Hex(Text(a)));
        }
        break;
      }
      case 6:  // another object's text, read in its output code
        if (a.GetSize() + b.GetSize() <= kLongText) Try([&] { a += b; });
        break;
      case 8:
        if (Try([&] { a = b; })) {
          FUZZ_CHECK(Text(a) == other && a.GetModeInput() == b.GetModeInput() &&
                         a.GetModeOutput() == b.GetModeOutput(),
                     what_);
        }
        break;
      case 9:
      case 10: {  // comparisons, and the split form (common part, rest of this, rest of other)
        CKanji* const outs[3] = {Slot(in_.Byte()), Slot(in_.Byte()), Slot(in_.Byte())};
        const std::set<const CKanji*> all = {&a, &b, outs[0], outs[1], outs[2]};
        bool equal = false, less = false, greater = false;
        int order = 0, prefix = 0, split = 0;
        const bool ok = Try([&] {
          equal = a == b, less = a<b, greater = a> b;
          order = a.Compare(b), prefix = a.Compare(b, true);
          if (kind == 10) split = a.Compare(b, *outs[0], *outs[1], *outs[2]);
        });
        if (kind == 10 && all.size() != (&a == &b ? 4U : 5U)) break;  // outputs alias inputs
        FUZZ_CHECK(Text(a) == before && Text(b) == other, what_ + " compared texts changed");
        if (!ok) break;
        FUZZ_CHECK(equal == (order == 0) && less == (order < 0) && greater == (order > 0), what_);
        FUZZ_CHECK(prefix == order || (prefix == 0 && order < 0), what_);
        FUZZ_CHECK((a == other.c_str()) == (before == other) && (kind == 9 || split == order),
                   what_);
        break;
      }
      case 11: {  // a pattern that is not there changes nothing
        const std::string pattern = TakeText(), replacement = TakeText(), p = pattern.c_str();
        int count = -1;
        if (Try([&] { count = a.Replace(pattern.c_str(), replacement.c_str()); }) && Plain(a) &&
            a.GetModeOutput() != CKanji::EMODE_JIS && before.find(p) == std::string::npos) {
          FUZZ_CHECK(count == 0 && Text(a) == before, what_ + " replace " + Hex(p));
        }
        break;
      }
      case 12: Try([&] { a.Replace(b, *Slot(in_.Byte())); }); break;
      case 13:
      case 14:
      case 15: {  // width and case
        const std::uint8_t f = in_.Byte();
        const bool d = f & 1, al = f & 2, ka = f & 4, m = f & 8, h = f & 16;
        Try([&] {
          if (kind == 13) a.zen2han(d, al, ka, m, h);
          if (kind == 14) a.han2zen(d, al, ka, m, h);
          if (kind == 15) d ? a.ToUpper(al, ka) : a.ToLower(al, ka);
        });
        break;
      }
      case 16: {
        int count = -1;
        if (Try([&] { count = a.Clean(b); })) FUZZ_CHECK(count >= 0, what_);
        FUZZ_CHECK(&a == &b || Text(b) == other, what_);
        break;
      }
      case 17:  // nothing to clean outside JIS
        if (Try([&] { a.CleanJIS(); }) && a.GetModeOutput() != CKanji::EMODE_JIS) {
          FUZZ_CHECK(Text(a) == before, what_);
        }
        break;
      case 18:
        Try([&] { (void)static_cast<int>(a); });
        FUZZ_CHECK(Text(a) == before, what_);
        break;
      case 19: {  // byte access, inside and far outside the text
        const int index = static_cast<int>(in_.Range(0, 0xFF)) - 8;
        const int at = (in_.Byte() & 1) != 0 ? index : (index < 0 ? INT_MIN : INT_MAX - index);
        const bool inside = at >= 0 && at < static_cast<int>(before.size());
        FUZZ_CHECK(a[at] == (inside ? before[static_cast<std::size_t>(at)] : '\0'), what_);
        break;
      }
      case 24: Make(a_slot, true); break;
      case 25: slots_[a_slot].reset(); break;
      case 27:  // the text read is the one being written
        if (a.GetSize() > kLongText) break;
        Try([&] {
          switch (in_.Byte() % 4) {
            case 0: a += a; break;
            case 1: a += a.GetBuff(); break;
            case 2: a = a.GetBuff() + a.GetSize() / 2; break;
            default: a.Replace(a.GetBuff(), a.GetBuff()); break;
          }
        });
        break;
      default:  // another object's bytes as a text in this one's input code
        if (Try([&] { a = b.GetBuff(); }) && Plain(a)) FUZZ_CHECK(Text(a) == other, what_);
        break;
    }
  }

  mojiwa_fuzz::FuzzInput& in_;
  std::unique_ptr<Probe> slots_[kSlots];
  std::string what_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  mojiwa_fuzz::FuzzInput in(data, size);
  const unsigned long saved_limit = Probe::MemLimit();
  // Growth by a fixed step copies the whole text each time: with steps of a few bytes, limits
  // above 64 KiB would make single runs take seconds.
  static const unsigned long kLimits[] = {512, 2048, 4096, 16384, 65536};
  CKanji::SetMemLimit(kLimits[in.Byte() % 5]);
  Sequence(in).Run();
  FUZZ_CHECK(Probe::AllSize() == 0, "bytes not given back: " + std::to_string(Probe::AllSize()));
  CKanji::SetMemLimit(saved_limit);
  return 0;
}
