// The entry point of every fuzz target.
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tavolin::fuzzing::FuzzInput input(data, size);
  tavolin::fuzzing::fuzzOne(input);
  return 0;
}
