// The state of the floating-point unit: control word and status flags.
#pragma once

#include <cstdint>

namespace calc {

// Status flags, at their positions in the x87 status word. Operations only ever OR them in.
namespace FpuFlag {
inline constexpr std::uint16_t Invalid = 0x01;
inline constexpr std::uint16_t Denormal = 0x02;
inline constexpr std::uint16_t ZeroDivide = 0x04;
inline constexpr std::uint16_t Overflow = 0x08;
inline constexpr std::uint16_t Underflow = 0x10;
inline constexpr std::uint16_t Precision = 0x20;
inline constexpr std::uint16_t All = 0x3F;
}  // namespace FpuFlag

// The rounding-control field (bits 10 and 11 of the control word).
enum class RoundingMode : std::uint8_t { ToNearest = 0, Down = 1, Up = 2, TowardZero = 3 };

// The process setting: invalid operation, division by zero and overflow raise errors.
inline constexpr std::uint16_t DefaultFpuControlWord = 0x1332;
// The parser's setting: every condition masked, so nothing raises.
inline constexpr std::uint16_t ParseFpuControlWord = 0x133F;

// A software model of one x87 unit. The low six bits of the control word mask the conditions
// of the same bits in the status flags; a condition whose mask bit is 0 raises the matching
// error object (invalid: EInvalidOp, zero divide: EZeroDivide, overflow: EOverflow,
// underflow and denormal operand: EUnderflow; an unmasked inexact result raises nothing).
// Every operation rounds to the 64-bit significand: both settings select that precision.
class Fpu {
 public:
  explicit Fpu(std::uint16_t controlWord = DefaultFpuControlWord) noexcept
      : controlWord_(controlWord) {}

  std::uint16_t controlWord() const noexcept { return controlWord_; }
  void loadControlWord(std::uint16_t controlWord) noexcept { controlWord_ = controlWord; }
  RoundingMode roundingMode() const noexcept {
    return static_cast<RoundingMode>((controlWord_ >> 10) & 3);
  }

  std::uint16_t statusFlags() const noexcept { return status_; }
  void clearFlags() noexcept { status_ = 0; }

  // Empties the unit (no pending conditions) and loads the given setting.
  void reset(std::uint16_t controlWord = DefaultFpuControlWord) noexcept {
    status_ = 0;
    controlWord_ = controlWord;
  }

  // Records the conditions an operation met; throws for the first unmasked one, in the
  // processor's order of priority. The flags stay pending until cleared or reset.
  void signal(std::uint16_t flags) {
    status_ |= flags;
    if ((flags & ~controlWord_ & (FpuFlag::All & ~FpuFlag::Precision)) != 0) raiseUnmasked(flags);
  }

 private:
  [[noreturn]] void raiseUnmasked(std::uint16_t flags) const;

  std::uint16_t controlWord_;
  std::uint16_t status_ = 0;
};

// Switches a unit to another setting for the scope's lifetime, with no pending conditions on
// the way in or out, and restores the caller's setting afterwards.
class FpuSettingScope {
 public:
  FpuSettingScope(Fpu& fpu, std::uint16_t controlWord) noexcept
      : fpu_(fpu), saved_(fpu.controlWord()) {
    fpu_.reset(controlWord);
  }
  ~FpuSettingScope() { fpu_.reset(saved_); }
  FpuSettingScope(const FpuSettingScope&) = delete;
  FpuSettingScope& operator=(const FpuSettingScope&) = delete;

 private:
  Fpu& fpu_;
  std::uint16_t saved_;
};

}  // namespace calc
