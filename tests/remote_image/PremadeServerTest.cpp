#include <gtest/gtest.h>

#include <stdlib.h>

#include <optional>
#include <string>

#include "remote_image/PremadeServer.hpp"
#include "remote_image/PremadeServerError.hpp"

namespace zorv {
namespace {

// Sets or clears ZORV_PREMADE_SERVER for one test and puts the old value back.
class ScopedPremadeServerVariable {
public:
    explicit ScopedPremadeServerVariable(const char* value) {
        if (const char* old = ::getenv(PremadeServer::environmentVariable)) old_ = old;
        if (value == nullptr) {
            ::unsetenv(PremadeServer::environmentVariable);
        } else {
            ::setenv(PremadeServer::environmentVariable, value, 1);
        }
    }
    ~ScopedPremadeServerVariable() {
        if (old_) {
            ::setenv(PremadeServer::environmentVariable, old_->c_str(), 1);
        } else {
            ::unsetenv(PremadeServer::environmentVariable);
        }
    }
    ScopedPremadeServerVariable(const ScopedPremadeServerVariable&) = delete;
    ScopedPremadeServerVariable& operator=(const ScopedPremadeServerVariable&) = delete;

private:
    std::optional<std::string> old_;
};

TEST(PremadeServer, TheBuiltInServerServesItsManifestOverHTTPS) {
    EXPECT_EQ(PremadeServer::builtIn().manifestURLString(), "https://files.zorv.dev/files/resources/manifest.json");
}

TEST(PremadeServer, AcceptsBaseURLsAndNormalisesThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"https://files.zorv.dev", "https://files.zorv.dev"},
        {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
        {"HTTPS://Mirror.Example.org/vintage/zorv", "https://Mirror.Example.org/vintage/zorv"},
        {"http://[::1]:8000/premade", "http://[::1]:8000/premade"},
        {"http://localhost:65535", "http://localhost:65535"},
        {"https://host/a%20b/c~d", "https://host/a%20b/c~d"},
        {"file:///srv/zorv", "file:///srv/zorv"},
        {"file://localhost/srv/zorv", "file:///srv/zorv"},
        {"File://LOCALHOST/srv", "file:///srv"},
        {"file:///Users/me/Premade Disks", "file:///Users/me/Premade Disks"},
    };
    for (const auto& [text, base] : cases) {
        SCOPED_TRACE(text);
        const PremadeServer server = PremadeServer::withBaseURL(text);
        EXPECT_EQ(server.baseURL(), base);
        EXPECT_EQ(server.manifestURLString(), std::string(base) + "/files/resources/manifest.json");
    }
}

TEST(PremadeServer, RefusesTextThatIsNotABaseURL) {
    const char* cases[] = {
        "",
        "files.zorv.dev",
        "https:/files.zorv.dev",
        "ftp://files.zorv.dev",
        "data://x",
        "https://",
        "https:///path",
        "https://files.zorv.dev/",
        "https://files.zorv.dev/mirror/",
        "https://host:",
        "https://host:0",
        "https://host:65536",
        "https://host:80a",
        "https://host:123456",
        "https://user@host",
        "https://-host",
        "https://ho st",
        "https://host_name",
        "http://[::1",
        "http://[]",
        "http://[::1]x",
        "https://host/a?b=c",
        "https://host/a#top",
        "https://host//a",
        "https://host/a/../b",
        "https://host/./a",
        "https://host/a b",
        "https://host/%zz",
        "https://host/%2",
        "https://host/caf\xC3\xA9",
        "file://",
        "file:///",
        "file://otherhost/srv",
        "file:///srv/",
        "file://srv",
        "file:///srv/a\tb",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        try {
            PremadeServer::withBaseURL(text);
            ADD_FAILURE() << "accepted";
        } catch (const PremadeServerError& error) {
            EXPECT_EQ(error.errorCase, PremadeServerError::Case::invalidBaseURL);
            EXPECT_EQ(error.payload, text);
            EXPECT_EQ(error.what(), "invalidBaseURL(\"" + std::string(text) + "\")");
        }
    }
}

TEST(PremadeServer, TheEnvironmentReplacesTheBuiltInServer) {
    {
        ScopedPremadeServerVariable unset(nullptr);
        EXPECT_EQ(PremadeServer::fromEnvironment().baseURL(), PremadeServer::builtInBaseURL);
    }
    {
        ScopedPremadeServerVariable empty("");
        EXPECT_EQ(PremadeServer::fromEnvironment().baseURL(), PremadeServer::builtInBaseURL);
    }
    {
        ScopedPremadeServerVariable local("http://127.0.0.1:9000/mirror");
        EXPECT_EQ(PremadeServer::fromEnvironment().manifestURLString(), "http://127.0.0.1:9000/mirror/files/resources/manifest.json");
    }
    {
        ScopedPremadeServerVariable wrong("http://127.0.0.1:9000/");
        EXPECT_THROW(PremadeServer::fromEnvironment(), PremadeServerError);
    }
}

}  // namespace
}  // namespace zorv
