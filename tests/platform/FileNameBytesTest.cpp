#include "platform/FileNameBytes.h"

#include <gtest/gtest.h>

// Every byte string comes back as it went in; valid UTF-8 reads as its text, each other
// byte as one carried unit, shown as U+FFFD.
TEST(FileNameBytes, KeepsEveryByteAndShowsTheRestAsReplacement)
{
    struct Row
    {
        std::string bytes;
        std::u16string text;
        std::u16string shown;
    };
    const Row rows[] = {
        {"fax.tif", u"fax.tif", u"fax.tif"},
        {"caf\xc3\xa9 \xf0\x9f\x93\xa0", u"caf\u00e9 \U0001F4E0", u"caf\u00e9 \U0001F4E0"},
        {"fax-\xe9.tif", u"fax-\xdce9.tif", u"fax-\ufffd.tif"},
        {"\xff\x80", u"\xdcff\xdc80", u"\ufffd\ufffd"},
        {"\xc0\xaf", u"\xdcc0\xdcaf", u"\ufffd\ufffd"},                 // overlong '/'
        {"\xed\xb2\x80", u"\xdced\xdcb2\xdc80", u"\ufffd\ufffd\ufffd"}, // an encoded surrogate
        {"\xf4\x90\x80\x80", u"\xdcf4\xdc90\xdc80\xdc80", u"\ufffd\ufffd\ufffd\ufffd"},
        {"a\xe2\x82", u"a\xdce2\xdc82", u"a\ufffd\ufffd"}, // cut short
        {"\xe2\x82\xac\xe2", u"\u20ac\xdce2", u"\u20ac\ufffd"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.bytes);
        const std::u16string text = FileNameText(row.bytes);
        EXPECT_EQ(text, row.text);
        EXPECT_EQ(FileNameBytes(text), row.bytes);
        EXPECT_EQ(FileNameShown(text), row.shown);
    }
    // A pair whose low half lies in the carried range is text, not a carried byte.
    EXPECT_EQ(FileNameBytes(u"\U0001F4E0"), "\xf0\x9f\x93\xa0");
    EXPECT_EQ(FileNameShown(u"\U000100E9"), u"\U000100E9");
    EXPECT_EQ(FileNameBytes(u"\U000100E9"), FileNameBytes(FileNameText("\xf0\x90\x83\xa9")));
    // A lone surrogate outside the carried range came from no file name.
    EXPECT_EQ(FileNameBytes(u"\xd800x"), "\xef\xbf\xbdx");
}
