// The built-in system.yaml documents: their byte form, line by line.
#include "tuning/home_page_documents.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// The document's lines without their CR LF; a failure if any line ends otherwise.
std::vector<std::string> CrlfLines(const std::string& document) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < document.size()) {
        const size_t end = document.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "bytes after the last CR LF: " << document.substr(start);
            break;
        }
        lines.push_back(document.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

size_t Indent(const std::string& line) {
    return line.find_first_not_of(' ');
}

// Every mapping's keys in ascending byte order. A mapping is the run of keys at one indentation
// until a line less indented ends it; a sequence item "- key: value" opens a new mapping two
// columns further in.
void ExpectKeysAscending(const std::vector<std::string>& lines) {
    std::map<size_t, std::string> lastKey;
    for (size_t i = 1; i < lines.size(); ++i) {
        size_t indent = Indent(lines[i]);
        std::string text = lines[i].substr(indent);
        lastKey.erase(lastKey.upper_bound(indent), lastKey.end());
        if (text.starts_with("- ")) {
            indent += 2;
            text = text.substr(2);
            lastKey.erase(indent);
        }
        const size_t colon = text.find(':');
        if (colon == std::string::npos)
            continue;  // a scalar sequence item
        const std::string key = text.substr(0, colon);
        if (lastKey.count(indent)) {
            EXPECT_LT(lastKey[indent], key) << "line " << i + 1;
        }
        lastKey[indent] = key;
    }
}

TEST(HomePageDocumentsTest, HaveTheFixedByteForm) {
    for (const std::string* document : {&BlankHomePageDocument(), &UsHomePageDocument()}) {
        SCOPED_TRACE(document == &BlankHomePageDocument() ? "blank" : "US");
        const std::vector<std::string> lines = CrlfLines(*document);
        ASSERT_EQ(lines.size(), 52u);
        EXPECT_EQ(lines[0], "---");
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            ASSERT_FALSE(line.empty()) << "line " << i + 1;
            for (char c : line)
                EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "line " << i + 1 << " holds byte " << int(c);
            EXPECT_NE(line.back(), ' ') << "line " << i + 1;
            EXPECT_EQ(Indent(line) % 2, 0u) << "line " << i + 1;
        }
        ExpectKeysAscending(lines);

        EXPECT_EQ(lines[1], "app:");
        EXPECT_EQ(lines[17], "  patchline-visible-name: ''");
        EXPECT_EQ(lines[27], "- id: league_of_legends");
        EXPECT_EQ(lines[33], "    - zh_CN");
        EXPECT_EQ(lines[50], "    web_region: staging.na");
        EXPECT_TRUE(lines[25].starts_with("player_bug_report_url: https://")) << lines[25];
        EXPECT_NE(lines[25].find("/faq/"), std::string::npos) << lines[25];
        EXPECT_TRUE(lines[25].ends_with(".html")) << lines[25];
        EXPECT_TRUE(lines[39].starts_with("        payments_host: https://")) << lines[39];
        EXPECT_TRUE(lines[39].ends_with("/comm-htdocs/pay/client/lol")) << lines[39];
        // Both voice-token URLs on one host and port 18088.
        const std::string access = "        access_token_uri: ";
        const std::string auth = "        auth_token_uri: ";
        ASSERT_TRUE(lines[43].starts_with(access + "https://")) << lines[43];
        ASSERT_TRUE(lines[44].starts_with(auth + "https://")) << lines[44];
        const std::string accessUrl = lines[43].substr(access.size());
        const std::string authUrl = lines[44].substr(auth.size());
        EXPECT_EQ(accessUrl, accessUrl.substr(0, accessUrl.find("/vts/")) + "/vts/v1/access_token");
        EXPECT_EQ(authUrl, accessUrl.substr(0, accessUrl.find("/vts/")) + "/vts/v1/auth_token");
        EXPECT_TRUE(accessUrl.substr(0, accessUrl.find("/vts/")).ends_with(":18088")) << accessUrl;
        EXPECT_TRUE(lines[45].starts_with("        jwt2gvt_url: https://")) << lines[45];
        EXPECT_TRUE(lines[45].ends_with("/lol/v1/jwt2gvt")) << lines[45];
        EXPECT_TRUE(lines[51].starts_with("web_assets_base_path: https://")) << lines[51];
        EXPECT_TRUE(lines[51].ends_with("/")) << lines[51];
    }
}

TEST(HomePageDocumentsTest, DifferOnlyInTheLandingPage) {
    const std::vector<std::string> blank = CrlfLines(BlankHomePageDocument());
    const std::vector<std::string> us = CrlfLines(UsHomePageDocument());
    ASSERT_EQ(blank.size(), us.size());
    for (size_t i = 0; i < blank.size(); ++i) {
        if (i != 18) {
            EXPECT_EQ(blank[i], us[i]) << "line " << i + 1;
        }
    }
    EXPECT_EQ(blank[18], "custom_landing_url: https://127.0.0.1/");
    EXPECT_TRUE(us[18].starts_with("custom_landing_url: https://")) << us[18];
    EXPECT_TRUE(us[18].ends_with("/pcs/leagueclient/home-overview-focused/")) << us[18];

    // The sizes that follow from the endpoints chosen; a change to any line shows here.
    EXPECT_EQ(BlankHomePageDocument().size(), 1485u);
    EXPECT_EQ(UsHomePageDocument().size(), 1539u);
}

}  // namespace
