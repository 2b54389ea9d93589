#include "format_settings.h"

namespace calc {

namespace {
char processDecimalSeparator = '.';
}

char decimalSeparator() noexcept {
  return processDecimalSeparator;
}
void setDecimalSeparator(char separator) noexcept {
  processDecimalSeparator = separator;
}

}  // namespace calc
