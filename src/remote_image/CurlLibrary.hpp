#pragma once

#include <curl/curl.h>

#include <string>

namespace zorv {

// libcurl, loaded with dlopen the first time a web fetch needs it rather than
// linked: linking it makes the dynamic loader bind the few dozen libraries it
// depends on (TLS, Kerberos, LDAP...) at every start of the program, which
// costs most of the run time of commands that never touch the network.
//
// <curl/curl.h> still gives the types and constants; only the calls go
// through this table of the library's functions.
struct CurlLibrary {
    decltype(&::curl_easy_init) easy_init;
    decltype(&::curl_easy_cleanup) easy_cleanup;
    decltype(&::curl_easy_setopt) easy_setopt;
    decltype(&::curl_easy_getinfo) easy_getinfo;
    decltype(&::curl_easy_perform) easy_perform;
    decltype(&::curl_easy_strerror) easy_strerror;
    decltype(&::curl_multi_init) multi_init;
    decltype(&::curl_multi_cleanup) multi_cleanup;
    decltype(&::curl_multi_add_handle) multi_add_handle;
    decltype(&::curl_multi_remove_handle) multi_remove_handle;
    decltype(&::curl_multi_perform) multi_perform;
    decltype(&::curl_multi_poll) multi_poll;
    decltype(&::curl_multi_info_read) multi_info_read;

    // The library, loaded and globally initialised on the first call (safe
    // from several threads); nullptr when it could not be loaded, with the
    // reason in loadError(). Never unloaded.
    static const CurlLibrary* get();
    // "libcurl could not be loaded: <reason>", or empty once loaded.
    static const std::string& loadError();
};

}  // namespace zorv
