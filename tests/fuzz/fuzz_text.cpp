// The text decoders and the case-insensitive comparison against the reference models.
#include "models/reference.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string s(reinterpret_cast<const char*>(data), size);
  // Two names: the input cut where its first byte says.
  const std::string a = s.substr(0, size ? data[0] % size : 0), b = s.substr(a.size());
  if (!model::decodesAsTheModel(s) || !model::comparesAsTheModel(a, b)) __builtin_trap();
  return 0;
}
