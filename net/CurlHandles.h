#pragma once

#include "base/UniqueHandle.h"

#include <curl/curl.h>

// Owners of libcurl's handles; each releases its handle with the matching libcurl call.
using CurlEasy = UniqueHandle<CURL, curl_easy_cleanup>;
using CurlMulti = UniqueHandle<CURLM, curl_multi_cleanup>;
using CurlSlist = UniqueHandle<curl_slist, curl_slist_free_all>;
// Text that libcurl allocated for the caller (for example by curl_easy_escape).
using CurlText = UniqueHandle<char, curl_free>;
