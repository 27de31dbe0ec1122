#include <openssl/evp.h>

#include <memory>
#include <vector>

#include "dfe/config/base64.h"
#include "dfe/raii/cfree.h"

namespace luvaro {
namespace {

using EncodeCtxPtr = std::unique_ptr<EVP_ENCODE_CTX, CFree<&EVP_ENCODE_CTX_free>>;

}  // namespace

std::string base64Encode(std::string_view bytes) {
  if (bytes.empty()) return {};
  std::vector<unsigned char> buf(4 * ((bytes.size() + 2) / 3) + 1);
  const int n = EVP_EncodeBlock(buf.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                                static_cast<int>(bytes.size()));
  return std::string(reinterpret_cast<const char*>(buf.data()), static_cast<std::size_t>(n));
}

std::optional<std::string> base64Decode(std::string_view text) {
  std::string clean;
  clean.reserve(text.size());
  for (char c : text) {
    if (static_cast<unsigned char>(c) > ' ') clean.push_back(c);
  }
  if (clean.empty()) return std::string();
  EncodeCtxPtr ctx(EVP_ENCODE_CTX_new());
  if (!ctx) return std::nullopt;
  EVP_DecodeInit(ctx.get());
  std::vector<unsigned char> buf(clean.size() + 3);
  int len = 0;
  if (EVP_DecodeUpdate(ctx.get(), buf.data(), &len,
                       reinterpret_cast<const unsigned char*>(clean.data()),
                       static_cast<int>(clean.size())) < 0) {
    return std::nullopt;
  }
  int tail = 0;
  if (EVP_DecodeFinal(ctx.get(), buf.data() + len, &tail) < 0) return std::nullopt;
  // The decoder accepts a length that is not a multiple of four; Base64 written by us never
  // has one, so such text is refused.
  if (clean.size() % 4 != 0) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(buf.data()),
                     static_cast<std::size_t>(len + tail));
}

}  // namespace luvaro
