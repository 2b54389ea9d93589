// The process-wide number formatting setting that the number text operations read.
#pragma once

namespace calc {

// The decimal separator, read anew by every number text operation. Only the user-interface
// thread changes it. Starts as ".".
char decimalSeparator() noexcept;
void setDecimalSeparator(char separator) noexcept;

}  // namespace calc
