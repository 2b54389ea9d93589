// A module that loads but has no GradientFill routine.
extern "C" int NoGradientFill() {
  return 0;
}
