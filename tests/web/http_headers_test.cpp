// The download headers: byte ranges as curl and browsers send them, the attachment name of any
// file name, and the If-Range validators.
#include "web/http_headers.h"

#include <gtest/gtest.h>

namespace {

using web::ByteRange;
using Kind = web::ByteRange::Kind;

TEST(RangeTest, SatisfiableRangesAreClippedToTheFile) {
    struct Case {
        const char* header;
        std::uint64_t first, last;
    };
    for (const Case& c : {Case{"bytes=0-99", 0, 99}, Case{"bytes=100-", 100, 999},
                          Case{"bytes=-100", 900, 999}, Case{"bytes=-5000", 0, 999},
                          Case{"bytes=990-5000", 990, 999}, Case{"BYTES=5-5", 5, 5}}) {
        const ByteRange range = web::ParseRange(c.header, 1000);
        EXPECT_EQ(range.kind, Kind::Partial) << c.header;
        EXPECT_EQ(range.first, c.first) << c.header;
        EXPECT_EQ(range.last, c.last) << c.header;
    }
    EXPECT_EQ(web::ContentRange(web::ParseRange("bytes=-100", 1000), 1000), "bytes 900-999/1000");
}

TEST(RangeTest, PastTheEndIsUnsatisfiableAndOddFormsGetTheWholeFile) {
    for (const char* header : {"bytes=1000-", "bytes=5000-6000", "bytes=-0"}) {
        const ByteRange range = web::ParseRange(header, 1000);
        EXPECT_EQ(range.kind, Kind::Unsatisfiable) << header;
        EXPECT_EQ(web::ContentRange(range, 1000), "bytes */1000");
    }
    EXPECT_EQ(web::ParseRange("bytes=0-", 0).kind, Kind::Unsatisfiable);
    for (const char* header : {"", "bytes=0-1,5-6", "items=0-5", "bytes=5-1", "bytes=a-b",
                               "bytes=-", "bytes=1", "bytes=99999999999999999999-"}) {
        EXPECT_EQ(web::ParseRange(header, 1000).kind, Kind::Whole) << header;
    }
}

TEST(DispositionTest, EveryNameHasASafeFallbackAndItsExactUtf8Form) {
    EXPECT_EQ(web::AttachmentDisposition("report.pdf"),
              "attachment; filename=\"report.pdf\"; filename*=UTF-8''report.pdf");
    EXPECT_EQ(web::AttachmentDisposition("gr\xc3\xbcn \"x\"\\.txt"),
              "attachment; filename=\"gr__n _x__.txt\"; "
              "filename*=UTF-8''gr%C3%BCn%20%22x%22%5C.txt");
    EXPECT_STREQ(web::ContentTypeFor("Photo.JPG"), "image/jpeg");
    EXPECT_STREQ(web::ContentTypeFor(".profile"), "application/octet-stream");
    EXPECT_STREQ(web::ContentTypeFor("noext"), "application/octet-stream");
}

TEST(IfRangeTest, OnlyTheExactStrongValidatorMatches) {
    const std::string tag = web::EntityTag(12, 1000, 5);
    const std::string date = web::HttpDate(0);
    EXPECT_EQ(date, "Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_TRUE(web::IfRangeMatches(tag, tag, date));
    EXPECT_TRUE(web::IfRangeMatches(date, tag, date));
    EXPECT_FALSE(web::IfRangeMatches(web::EntityTag(12, 1000, 6), tag, date));
    EXPECT_FALSE(web::IfRangeMatches("W/" + tag, tag, date));
    EXPECT_FALSE(web::IfRangeMatches(web::HttpDate(1), tag, date));
}

}  // namespace
