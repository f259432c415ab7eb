// The router's answer to the upload: which status lines refuse the image and which decide nothing.
#include <gtest/gtest.h>

#include <string>

#include "transfer/UploadAnswer.h"

namespace fwu {
namespace {

TEST(UploadAnswer, StatusLinesThatRefuseAcceptOrSayNothing) {
    enum Verdict { Refuses, Accepts, Unreadable };
    struct Case {
        std::string answer;
        Verdict verdict;
        int code;
        std::string text;
    };
    const Case cases[] = {
        {"HTTP/1.0 400 Bad Request\r\nServer: httpd\r\n\r\n", Refuses, 400, "HTTP/1.0 400 Bad Request"},
        {"HTTP/1.1 401 Unauthorized\n", Refuses, 401, "HTTP/1.1 401 Unauthorized"},
        {"HTTP/1.0 500", Refuses, 500, "HTTP/1.0 500"},  // the connection closed after the code
        {"HTTP/1.0 302 Found\r\n", Refuses, 302, "HTTP/1.0 302 Found"},
        {"HTTP/1.0 100 Continue\r\n", Refuses, 100, "HTTP/1.0 100 Continue"},
        {"HTTP/1.0 200 Ok\r\n", Accepts, 200, "HTTP/1.0 200 Ok"},
        {"HTTP/1.1  204 \r\n", Accepts, 204, "HTTP/1.1  204 "},
        {"HTTP/2 299 Fine\x01\r\n", Accepts, 299, "HTTP/2 299 Fine?"},  // a control byte is not kept
        {"", Unreadable, 0, ""},
        {"HTTP/1.0 40", Unreadable, 0, ""},  // cut inside the code
        {"HTTP/1.0 4000 Big\r\n", Unreadable, 0, ""},
        {"HTTP/1.0 600 Odd\r\n", Unreadable, 0, ""},
        {"HTTP/1.0 099 Low\r\n", Unreadable, 0, ""},
        {"HTTP/1.0.1 400 x\r\n", Unreadable, 0, ""},
        {"HTTP/ 400 x\r\n", Unreadable, 0, ""},
        {"HTTP/1.0400 x\r\n", Unreadable, 0, ""},
        {"http/1.0 400 x\r\n", Unreadable, 0, ""},
        {" HTTP/1.0 400 x\r\n", Unreadable, 0, ""},
        {"<html>HTTP/1.0 400</html>", Unreadable, 0, ""},
        {std::string("\0HTTP/1.0 400 x", 15), Unreadable, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        const auto status = ParseStatusLine(c.answer);
        EXPECT_EQ(AnswerRefusesUpload(status), c.verdict == Refuses);
        ASSERT_EQ(status.has_value(), c.verdict != Unreadable);
        if (status) {
            EXPECT_EQ(status->code, c.code);
            EXPECT_EQ(status->text, c.text);
        }
    }
    // A long reason is kept only in part.
    const auto longLine = ParseStatusLine("HTTP/1.0 400 " + std::string(500, 'r') + "\r\n");
    ASSERT_TRUE(longLine);
    EXPECT_EQ(longLine->text.size(), kMaxStatusLineText);
}

}  // namespace
}  // namespace fwu
