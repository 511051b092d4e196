#include "cli/terminal_text.h"

#include <gtest/gtest.h>

TEST(TerminalText, EscapesWhatActsOnATerminalAndKeepsOnlyATextsOwnLayout) {
    const struct {
        const char* text;
        const char* line; // escaped as a line or field
        const char* kept; // escaped as a text of many lines
    } cases[] = {
        {"注册商：新网 Example, Inc.", "注册商：新网 Example, Inc.", "注册商：新网 Example, Inc."},
        {"a\x1b]52;c;ZXZpbA==\x07z", "a\\x1B]52;c;ZXZpbA==\\x07z", "a\\x1B]52;c;ZXZpbA==\\x07z"},
        {"\x1b]0;title\x1b\\", "\\x1B]0;title\\x1B\\", "\\x1B]0;title\\x1B\\"},
        {"\x1b[2J", "\\x1B[2J", "\\x1B[2J"},
        {"\x7f", "\\x7F", "\\x7F"},
        {"\xc2\x9b"
         "2J",
         "\\x9B2J", "\\x9B2J"}, // C1 CSI
        {"ok\xe2\x80\xae"
         "desrever",
         "ok\\u202Edesrever", "ok\\u202Edesrever"}, // RLO
        {"\xe2\x80\xaa\xe2\x81\xa6\xe2\x81\xa9", "\\u202A\\u2066\\u2069", "\\u202A\\u2066\\u2069"},
        {"a\xe2\x80\xa8"
         "b\xe2\x80\xa9",
         "a\\u2028b\\u2029", "a\\u2028b\\u2029"},
        {"a\nb", "a\\nb", "a\nb"},
        {"a\r\nb\r\n", "a\\r\\nb\\r\\n", "a\r\nb\r\n"},
        {"a\tb", "a\\tb", "a\tb"},
        {"Good\rEvil", "Good\\rEvil", "Good\\rEvil"}, // a lone CR overwrites the line
        {"end\r", "end\\r", "end\\r"},
        {"\r\r\n", "\\r\\r\\n", "\\r\r\n"},
        {"\x01\x1f", "\\x01\\x1F", "\\x01\\x1F"},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        EXPECT_EQ(escapeControls(text), QString::fromUtf8(c.line)) << c.line;
        EXPECT_EQ(escapeControls(text, LineBreaks::Kept), QString::fromUtf8(c.kept)) << c.kept;
    }
}
