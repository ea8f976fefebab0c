#pragma once
// One libcurl easy handle, owned: curl_easy_cleanup runs when it goes.

#include <memory>

#include <curl/curl.h>

namespace zrb {

struct CurlCleanup {
    void operator()(CURL* handle) const noexcept { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;

}  // namespace zrb
