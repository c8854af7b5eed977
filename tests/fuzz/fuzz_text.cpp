// The text decoders and the case-insensitive comparison against the reference models.
#include "models/reference.h"

#define CHECK(c) \
  if (!(c)) __builtin_trap()

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string s(reinterpret_cast<const char*>(data), size);
  CHECK(model::decodesAsTheModel(s));
  // Two names: the input cut where its first byte says.
  const std::string a = s.substr(0, size ? data[0] % size : 0), b = s.substr(a.size());
  CHECK(model::comparesAsTheModel(a, b));
  return 0;
}
