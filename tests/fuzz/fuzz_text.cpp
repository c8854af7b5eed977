// The text decoders and the case-insensitive comparison against the reference models.
#include "models/reference.h"
#include "platform/text.h"

#define CHECK(c) \
  if (!(c)) __builtin_trap()
namespace text = platform::text;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string s(reinterpret_cast<const char*>(data), size);
  const auto cps = text::decode(s);
  CHECK(cps == model::decode(s) && text::decodeLossy(s) == model::decodeLossy(s));
  CHECK(!cps || (text::encode(*cps) == s && text::length(s) == cps->size()));
  for (bool big : {false, true}) {
    const auto utf8 = text::fromUtf16(s, big);
    CHECK(!utf8 || (model::decode(*utf8) && model::utf16(*model::decode(*utf8), big) == s));
  }
  // Two names: the input cut where its first byte says.
  const std::string a = s.substr(0, size ? data[0] % size : 0), b = s.substr(a.size());
  const bool same = model::keys(a) == model::keys(b);
  CHECK(text::equalNoCase(a, b) == same && (text::foldKey(a) == text::foldKey(b)) == same);
  CHECK(text::lessNoCase(a, b) == (model::keys(a) < model::keys(b) || (same && a < b)));
  return 0;
}
