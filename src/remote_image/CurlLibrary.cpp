#include "remote_image/CurlLibrary.hpp"

#include <dlfcn.h>

#include <optional>

namespace zorv {
namespace {

struct Loaded {
    std::optional<CurlLibrary> library;
    std::string error;
};

std::string lastLoaderError() {
    const char* text = ::dlerror();
    return text != nullptr ? text : "unknown error";
}

template <typename Function>
bool resolve(void* handle, const char* name, Function& function, std::string& error) {
    ::dlerror();
    void* address = ::dlsym(handle, name);
    if (address == nullptr) {
        error = lastLoaderError();
        return false;
    }
    function = reinterpret_cast<Function>(address);
    return true;
}

Loaded load() {
    Loaded loaded;
    void* handle = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const std::string first = lastLoaderError();
        handle = ::dlopen("libcurl.so", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            loaded.error = "libcurl could not be loaded: " + first;
            return loaded;
        }
    }

    CurlLibrary curl{};
    std::string error;
    decltype(&::curl_global_init) global_init = nullptr;
    const bool complete = resolve(handle, "curl_global_init", global_init, error) &&
                          resolve(handle, "curl_easy_init", curl.easy_init, error) &&
                          resolve(handle, "curl_easy_cleanup", curl.easy_cleanup, error) &&
                          resolve(handle, "curl_easy_setopt", curl.easy_setopt, error) &&
                          resolve(handle, "curl_easy_getinfo", curl.easy_getinfo, error) &&
                          resolve(handle, "curl_easy_perform", curl.easy_perform, error) &&
                          resolve(handle, "curl_easy_strerror", curl.easy_strerror, error) &&
                          resolve(handle, "curl_multi_init", curl.multi_init, error) &&
                          resolve(handle, "curl_multi_cleanup", curl.multi_cleanup, error) &&
                          resolve(handle, "curl_multi_add_handle", curl.multi_add_handle, error) &&
                          resolve(handle, "curl_multi_remove_handle", curl.multi_remove_handle, error) &&
                          resolve(handle, "curl_multi_perform", curl.multi_perform, error) &&
                          resolve(handle, "curl_multi_poll", curl.multi_poll, error) &&
                          resolve(handle, "curl_multi_info_read", curl.multi_info_read, error);
    if (!complete) {
        // The handle stays open: unloading a library that may have started
        // threads or registered handlers is not worth the risk.
        loaded.error = "libcurl could not be loaded: " + error;
        return loaded;
    }
    if (const CURLcode result = global_init(CURL_GLOBAL_DEFAULT); result != CURLE_OK) {
        loaded.error = std::string("libcurl could not be loaded: ") + curl.easy_strerror(result);
        return loaded;
    }
    loaded.library = curl;
    return loaded;
}

const Loaded& loadedOnce() {
    static const Loaded loaded = load();
    return loaded;
}

}  // namespace

const CurlLibrary* CurlLibrary::get() {
    const Loaded& loaded = loadedOnce();
    return loaded.library ? &*loaded.library : nullptr;
}

const std::string& CurlLibrary::loadError() { return loadedOnce().error; }

}  // namespace zorv
