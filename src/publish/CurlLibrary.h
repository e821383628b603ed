#pragma once
// libcurl's functions, from the library opened on first use.
#include <curl/curl.h>

namespace pv {

#define PV_CURL_FUNCTIONS(X)                                                                                        \
  X(global_init) X(easy_init) X(easy_cleanup) X(easy_reset) X(easy_setopt) X(easy_getinfo) X(easy_strerror)       \
  X(easy_escape) X(free) X(slist_append) X(slist_free_all) X(multi_init) X(multi_cleanup) X(multi_add_handle)      \
  X(multi_remove_handle) X(multi_perform) X(multi_poll) X(multi_info_read)

// curl_easy_init as easy_init, and so on.
struct CurlLibrary {
#define PV_CURL_POINTER(name) decltype(&::curl_##name) name = nullptr;
  PV_CURL_FUNCTIONS(PV_CURL_POINTER)
#undef PV_CURL_POINTER
};

// libcurl, opened and initialised on the first call; null when it cannot be opened.
const CurlLibrary* curlLibrary();
// The same where a successful curlLibrary() call came first.
inline const CurlLibrary& curl() { return *curlLibrary(); }

}  // namespace pv
