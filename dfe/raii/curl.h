#pragma once

// Owners of libcurl handles. Included only by back-end .cpp files (the ERP client, the update
// check, the HTTPS transport), never by a facade, model or interface header.

#include <memory>
#include <stdexcept>

#include <curl/curl.h>

#include "dfe/raii/cfree.h"

namespace luvaro {

using CurlEasyPtr = std::unique_ptr<CURL, CFree<&curl_easy_cleanup>>;
using CurlSlistPtr = std::unique_ptr<curl_slist, CFree<&curl_slist_free_all>>;
using CurlMultiPtr = std::unique_ptr<CURLM, CFree<&curl_multi_cleanup>>;
using CurlUrlPtr = std::unique_ptr<CURLU, CFree<&curl_url_cleanup>>;
using CurlCharsPtr = std::unique_ptr<char, CFree<&curl_free>>;  // strings curl allocates

// Appends one line to a header list; the list keeps its owner when curl cannot grow it.
inline void AppendCurlHeader(CurlSlistPtr& list, const char* line) {
  curl_slist* grown = curl_slist_append(list.get(), line);
  if (!grown) throw std::bad_alloc();
  (void)list.release();  // the grown list starts with the old one
  list.reset(grown);
}

// curl's process-wide initialisation. It is process-wide because curl_global_init sets up
// the TLS library and the name resolver for every handle; main() makes one before any thread
// starts and it ends after the last thread has stopped, so no mutex is needed.
class CurlGlobal {
 public:
  CurlGlobal() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
      throw std::runtime_error("curl_global_init failed");
  }
  ~CurlGlobal() { curl_global_cleanup(); }
  CurlGlobal(const CurlGlobal&) = delete;  // one initialisation, one cleanup
  CurlGlobal& operator=(const CurlGlobal&) = delete;
};

}  // namespace luvaro
