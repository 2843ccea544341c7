#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/error.h"
#include "platform/sim/machine.h"

namespace vexav6::sim {
namespace {

SimHttpResponse Body(const std::string& body) {
    SimHttpResponse response;
    response.headers = {{"Content-Type", "text/plain"}};
    response.body = body;
    return response;
}

std::string BodyText(const platform::HttpRequest& request) {
    return std::string(request.ResponseBody().begin(), request.ResponseBody().end());
}

class SimHttpTest : public ::testing::Test {
  protected:
    std::unique_ptr<platform::HttpRequest> Get(const std::string& url,
                                               std::vector<std::string>& log) {
        auto request = machine.http.CreateRequest();
        platform::HttpRequest* r = request.get();
        request->onResponseFinished = [r, &log] { log.push_back(BodyText(*r)); };
        request->onError = [&log](int32_t number, const std::string&) {
            log.push_back("error " + std::to_string(number));
        };
        request->Open("GET", url, true);
        request->Send();
        return request;
    }

    Machine machine;
};

TEST_F(SimHttpTest, AnswersComeFromTheScriptOnlyWhenTheUiServicesItsWork) {
    machine.http.QueueResponse("http://a.example/x", Body("for x 1"));
    machine.http.QueueResponse("http://a.example/x", Body("for x 2"));
    machine.http.QueueResponse(Body("for any"));
    std::vector<std::string> log;
    auto first = Get("http://a.example/x", log);
    auto second = Get("http://b.example/y", log);
    auto third = Get("http://a.example/x", log);
    auto fourth = Get("http://c.example/", log);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(machine.http.PendingCount(), 4u);

    machine.ui.DoEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"for x 1", "for any", "for x 2", "error 12007"}));
    EXPECT_EQ(first->Status(), 200);
    EXPECT_EQ(first->GetResponseHeader("content-TYPE"), "text/plain");
    EXPECT_EQ(fourth->Status(), 0);
    EXPECT_EQ(machine.http.Requests().size(), 4u);
}

TEST_F(SimHttpTest, RequestOpenedByANotificationWaitsForTheNextRound) {
    machine.http.QueueResponse(Body("one"));
    machine.http.QueueResponse(Body("two"));
    auto request = machine.http.CreateRequest();
    std::vector<std::string> log;
    request->onResponseFinished = [&] {
        log.push_back(BodyText(*request));
        if (log.size() == 1) {
            request->Open("GET", "http://a.example/next", true);
            request->Send();
        }
    };
    request->Open("GET", "http://a.example/", true);
    request->Send();
    machine.ui.DoEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"one"}));
    machine.ui.DoEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"one", "two"}));
}

TEST_F(SimHttpTest, AbortedOrDestroyedRequestsAreNeverNotified) {
    machine.http.QueueResponse(Body("dropped"));
    machine.http.QueueResponse(Body("also dropped"));
    machine.http.QueueResponse(Body("kept"));
    std::vector<std::string> log;
    auto aborted = Get("http://a.example/", log);
    Get("http://a.example/", log).reset();
    auto kept = Get("http://a.example/", log);
    aborted->Abort();
    machine.ui.DoEvents();
    EXPECT_EQ(log, (std::vector<std::string>{"kept"}));

    // An aborted request can be used again.
    machine.http.QueueResponse(Body("again"));
    aborted->Open("GET", "http://a.example/", true);
    aborted->Send();
    machine.ui.DoEvents();
    EXPECT_EQ(log.back(), "again");
}

TEST_F(SimHttpTest, MisuseIsRaisedAtTheCall) {
    auto request = machine.http.CreateRequest();
    const auto failsWith = [](int32_t number, const auto& call) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.Number(), number);
        }
    };
    failsWith(12006, [&] { request->Open("GET", "ftp://a.example/", true); });
    failsWith(12005, [&] { request->Open("GET", "http://", true); });
    failsWith(12019, [&] { request->Send(); });  // not opened
    request->Open("GET", "http://a.example/", true);
    request->Send();
    failsWith(12019, [&] { request->Send(); });  // in flight
    failsWith(12019, [&] { request->Open("GET", "http://a.example/", true); });
}

TEST_F(SimHttpTest, SynchronousRequestAnswersInsideSend) {
    machine.http.QueueResponse(Body("now"));
    auto request = machine.http.CreateRequest();
    bool notified = false;
    request->onResponseFinished = [&] { notified = true; };
    request->Open("GET", "http://a.example/", false);
    request->Send();
    EXPECT_EQ(BodyText(*request), "now");
    machine.ui.DoEvents();
    EXPECT_FALSE(notified);

    request->Open("GET", "http://a.example/", false);
    EXPECT_THROW(request->Send(), Error);  // nothing scripted: the name does not resolve
}

}  // namespace
}  // namespace vexav6::sim
