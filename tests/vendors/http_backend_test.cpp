// The real HTTP back-end of each build (libcurl natively, WinHTTP under Windows) against a server
// on 127.0.0.1 that the test runs itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "base/error.h"
#include "platform/sim/machine.h"
#include "support/temp_dir.h"
#include "support/test_http_server.h"
#include "vendor_test_support.h"
#include "vendors/nic_vendor.h"

#ifdef _WIN32
#include "platform/win32/win32_http.h"
#include "platform/win32/windows_include.h"
#else
#include "platform/linux/curl_http.h"
#include "platform/ui_work_queue.h"
#endif

namespace vexav6::testing {
namespace {

using namespace std::chrono_literals;
using Response = TestHttpServer::Response;

// The back-end of this build, and the user-interface thread's way of servicing pending work.
class RealHttp {
  public:
    RealHttp() {
        // A proxy from the environment would take even 127.0.0.1 elsewhere.
        for (const char* name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY"}) {
#ifdef _WIN32
            const std::wstring wide(name, name + std::char_traits<char>::length(name));
            ::SetEnvironmentVariableW(wide.c_str(), nullptr);
#else
            ::unsetenv(name);
#endif
        }
    }

    platform::HttpApi& Api() {
        return http_;
    }

    // Services pending work for about `wait`.
    void Pump(std::chrono::milliseconds wait) {
#ifdef _WIN32
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(wait.count()),
                                    QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
#else
        queue_.WaitForWork(wait);
        queue_.RunPending();
#endif
    }

    // Services pending work until `done` holds; false when it still does not after `limit`.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            Pump(20ms);
        }
        return true;
    }

  private:
#ifdef _WIN32
    win32::Win32Http http_;
#else
    platform::UiWorkQueue queue_;
    native::CurlHttp http_{queue_};
#endif
};

// One request and what its notifications said.
struct Exchange {
    explicit Exchange(platform::HttpApi& api) : request(api.CreateRequest()) {
        request->onResponseFinished = [this] { finished = true; };
        request->onError = [this](int32_t number, const std::string& description) {
            error = std::make_pair(number, description);
        };
    }
    void Get(const std::string& url, int32_t receiveTimeoutMs = 30000) {
        finished = false;
        error.reset();
        request->Open("GET", url, true);
        request->SetTimeouts(30000, 30000, 30000, receiveTimeoutMs);
        request->Send();
    }
    bool Ended() const { return finished || error.has_value(); }
    std::string Body() const {
        return std::string(request->ResponseBody().begin(), request->ResponseBody().end());
    }

    std::unique_ptr<platform::HttpRequest> request;
    bool finished = false;
    std::optional<std::pair<int32_t, std::string>> error;
};

class HttpBackendTest : public ::testing::Test {
  protected:
    RealHttp http;
    TestHttpServer server;
};

TEST_F(HttpBackendTest, ResponseArrivesWhenTheUiServicesItsWork) {
    server.SetHandler([](const TestHttpServer::Request&) {
        Response r;
        r.headers = {{"Content-Type", "text/plain"}, {"X-Listing-Date", "today"}};
        r.body = "00-22-72 body";
        return r;
    });
    Exchange exchange(http.Api());
    exchange.request->Open("GET", server.Url("/oui.txt?x=1"), true);
    exchange.request->SetRequestHeader("User-Agent", "Vexav6 test");
    exchange.request->SetRequestHeader("If-Modified-Since", "Sat, 30 Dec 1899 00:00:00 GMT");
    exchange.request->Send();

    // The server answers at once; the notification still waits for the user interface.
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(exchange.Ended());
    ASSERT_TRUE(http.PumpUntil([&] { return exchange.Ended(); }));
    ASSERT_TRUE(exchange.finished) << exchange.error->second;
    EXPECT_EQ(exchange.request->Status(), 200);
    EXPECT_EQ(exchange.request->StatusText(), "OK");
    EXPECT_EQ(exchange.request->GetResponseHeader("x-listing-DATE"), "today");
    EXPECT_EQ(exchange.request->GetResponseHeader("Absent"), "");
    EXPECT_EQ(exchange.Body(), "00-22-72 body");

    const std::vector<TestHttpServer::Request> seen = server.Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[0].target, "/oui.txt?x=1");
    EXPECT_EQ(seen[0].Header("User-Agent"), "Vexav6 test");
    EXPECT_EQ(seen[0].Header("If-Modified-Since"), "Sat, 30 Dec 1899 00:00:00 GMT");
}

TEST_F(HttpBackendTest, TransportFailuresAreReportedWithTheirNumbers) {
    server.SetHandler([](const TestHttpServer::Request&) {
        Response r;
        r.stall = true;
        return r;
    });
    Exchange exchange(http.Api());
    const auto started = std::chrono::steady_clock::now();
    exchange.Get(server.Url("/silent"), 500);
    ASSERT_TRUE(http.PumpUntil([&] { return exchange.Ended(); }));
    ASSERT_TRUE(exchange.error.has_value());
    EXPECT_EQ(exchange.error->first, 12002);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);

    std::string refused;
    {
        TestHttpServer gone;
        refused = gone.Url("/");
    }
    exchange.Get(refused);
    ASSERT_TRUE(http.PumpUntil([&] { return exchange.Ended(); }));
    ASSERT_TRUE(exchange.error.has_value());
    EXPECT_EQ(exchange.error->first, 12029);
}

TEST_F(HttpBackendTest, AbortedRequestStaysSilentAndCanBeUsedAgain) {
    server.SetHandler([](const TestHttpServer::Request& request) {
        Response r;
        r.stall = request.target == "/slow";
        r.body = "second";
        return r;
    });
    Exchange exchange(http.Api());
    exchange.Get(server.Url("/slow"));
    std::this_thread::sleep_for(100ms);
    exchange.request->Abort();
    EXPECT_FALSE(http.PumpUntil([&] { return exchange.Ended(); }, 500ms));

    exchange.Get(server.Url("/fast"));
    ASSERT_TRUE(http.PumpUntil([&] { return exchange.Ended(); }));
    ASSERT_TRUE(exchange.finished);
    EXPECT_EQ(exchange.Body(), "second");

    // A request in flight destroyed with its object.
    auto doomed = std::make_unique<Exchange>(http.Api());
    doomed->Get(server.Url("/slow"));
    doomed.reset();
    http.Pump(200ms);
}

TEST_F(HttpBackendTest, NotificationMaySendTheNextRequest) {
    server.SetHandler([](const TestHttpServer::Request& request) {
        Response r;
        r.body = request.target;
        return r;
    });
    auto request = http.Api().CreateRequest();
    std::vector<std::string> bodies;
    request->onResponseFinished = [&] {
        bodies.emplace_back(request->ResponseBody().begin(), request->ResponseBody().end());
        if (bodies.size() == 1) {
            request->Open("GET", server.Url("/second"), true);
            request->Send();
        }
    };
    request->Open("GET", server.Url("/first"), true);
    request->Send();
    ASSERT_TRUE(http.PumpUntil([&] { return bodies.size() == 2; }));
    EXPECT_EQ(bodies, (std::vector<std::string>{"/first", "/second"}));
}

TEST_F(HttpBackendTest, SynchronousRequestEndsInsideSendWithoutNotification) {
    server.SetHandler([](const TestHttpServer::Request& request) {
        Response r;
        r.stall = request.target == "/silent";
        r.body = "at once";
        return r;
    });
    Exchange exchange(http.Api());
    exchange.request->Open("GET", server.Url("/now"), false);
    exchange.request->Send();
    EXPECT_EQ(exchange.request->Status(), 200);
    EXPECT_EQ(exchange.Body(), "at once");

    exchange.request->Open("GET", server.Url("/silent"), false);
    exchange.request->SetTimeouts(30000, 30000, 30000, 500);
    try {
        exchange.request->Send();
        ADD_FAILURE() << "a silent server answered";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), 12002);
    }
    http.Pump(200ms);
    EXPECT_FALSE(exchange.Ended());
}

// NICVendor downloading the real listing through this build's back-end.
TEST_F(HttpBackendTest, VendorListDownloadsOverLoopback) {
    const std::string listing = ReadFileBytes(kRealListing);
    const std::string lastModified = "Sat, 27 Aug 2022 07:45:13 GMT";
    server.SetHandler([&](const TestHttpServer::Request& request) {
        Response r;
        if (request.target == "/oui.txt" || request.target == "/cut") {
            if (request.Header("If-Modified-Since") == lastModified) {
                r.status = 304;
                r.reason = "Not Modified";
                return r;
            }
            r.headers = {{"Content-Type", "text/plain; charset=utf-8"},
                         {"Last-Modified", lastModified}};
            r.body = listing;
            r.cutAfter = request.target == "/cut" ? listing.size() / 2 : SIZE_MAX;
        } else if (request.target == "/page") {
            r.headers = {{"Content-Type", "text/html"}};
            r.body = "<html></html>";
        } else {
            r.status = 404;
            r.reason = "Not Found";
        }
        return r;
    });

    TempDir dir;
    sim::Machine m;
    const Platform platform{m.registry, m.devices, m.ipStack, m.system, http.Api(), m.timers, m.ui};
    const std::string db = dir.File("oui.db");
    NICVendor vendor(platform);
    std::optional<int32_t> updated;
    std::optional<std::pair<int32_t, std::string>> error;
    vendor.onDBUpdated = [&](int32_t result) { updated = result; };
    vendor.onDBUpdateError = [&](int32_t number, const std::string& text) {
        error = std::make_pair(number, text);
    };
    const auto download = [&](const std::string& path) {
        updated.reset();
        error.reset();
        vendor.OnlineUpdateDBAsync(db, server.Url(path));
        return http.PumpUntil([&] { return updated.has_value() || error.has_value(); });
    };

    ASSERT_TRUE(download("/oui.txt"));
    ASSERT_EQ(updated, 0) << error->second;
    EXPECT_EQ(vendor.GetVendor(0x002272, false, true),
              "[00-22-72] American Micro-Fuel Device Corp.");
    EXPECT_EQ(vendor.LastModified(), DateFromCivil(2022, 8, 27, 7, 45, 13));
    const std::string saved = ReadFileBytes(db);

    ASSERT_TRUE(download("/oui.txt"));
    EXPECT_EQ(updated, 1);
    EXPECT_EQ(server.Requests().back().Header("If-Modified-Since"), lastModified);

    ASSERT_TRUE(download("/gone"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, std::make_pair(int32_t{404}, std::string("Not Found")));

    ASSERT_TRUE(download("/page"));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, std::make_pair(int32_t{1}, std::string("Invalid content type: text/html")));

    // A fresh object asks for the whole listing, which arrives cut short.
    NICVendor fresh(platform);
    fresh.onDBUpdated = vendor.onDBUpdated;
    fresh.onDBUpdateError = vendor.onDBUpdateError;
    updated.reset();
    error.reset();
    fresh.OnlineUpdateDBAsync(db, server.Url("/cut"));
    ASSERT_TRUE(http.PumpUntil([&] { return updated.has_value() || error.has_value(); }));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->first, 12030);
    EXPECT_FALSE(fresh.IsLoaded());
    EXPECT_EQ(ReadFileBytes(db), saved);
}

}  // namespace
}  // namespace vexav6::testing
