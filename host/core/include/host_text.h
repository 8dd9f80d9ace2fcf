#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace panel_host {

// The host's texts are 8-bit and NUL-terminated: names, replies, records,
// commands, in the code page of the host. Files and scenario lines are UTF-8
// text. This is where the two meet, and the one way a text is quoted in
// scenarios, transcripts and traces.

// The code page a host's texts are in: Windows-1252 (what a Windows host in
// Western Europe or America uses; the default) or UTF-8.
enum class codePage { windows1252, utf8 };

// "windows-1252", "utf-8".
const char* codePageName(codePage page);
// The code page of a name as files write it ("windows-1252", "utf-8"; any
// case); nothing for another name.
std::optional<codePage> codePageNamed(const std::string& name);

// Host bytes as text (UTF-8). Every byte sequence has one text, and encoding
// that text gives the bytes back:
// - Windows-1252: each byte is its character; the five bytes the code page
//   leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) are the control
//   characters U+0081, U+008D, U+008F, U+0090 and U+009D, as browsers read
//   them.
// - UTF-8: each well-formed character is itself; a byte from 0x80 up that is
//   not part of one is a raw byte.
// A raw byte B is the private-use character U+F700 + B (U+F780 to U+F7FF),
// in any code page: encoding gives B back. So that decoding stays the
// inverse, UTF-8 bytes that spell one of those characters decode as raw
// bytes, one each.
std::string hostBytesToText(const std::string& bytes, codePage page);

// Text as host bytes in the code page. Bytes of `text` that are not
// well-formed UTF-8 stay as they are (a raw byte). False, with `problem`
// naming the first character the code page lacks, when there is one.
bool textToHostBytes(const std::string& text, codePage page, std::string& bytes, std::string& problem);

// The raw byte B as text (U+F700 + B for B from 0x80 up; B itself below).
std::string rawByteText(unsigned char byte);

// ---- The quoted form --------------------------------------------------
//
// A text in double quotes in which \\ is a backslash, \" a double quote and
// \xNN (two hex digits) the byte NN; every other character stands for
// itself. Traces write every byte outside 0x20..0x7E as \xNN (plain ASCII);
// transcripts and the scenarios panel-host writes show a text decoded from
// the host's code page, escaping only what would not be seen: control
// characters and raw bytes.

// `bytes` in the quoted form: with a code page, printable characters as
// themselves (UTF-8); without one, plain ASCII. Each byte of `alsoEscaped`
// is written \xNN too: a field of a scenario line that does not start a
// word writes '#' and the apostrophe so, which the line would read as a
// comment or a quote.
std::string quotedText(const std::string& bytes, const std::optional<codePage>& page, const char* alsoEscaped = "");
// "null", or quotedText().
std::string quotedTextOrNull(const std::optional<std::string>& bytes, const std::optional<codePage>& page,
                             const char* alsoEscaped = "");

// `bytes` as a message shows it: decoded from the code page (without one,
// bytes from 0x80 up are escaped), control characters and raw bytes written
// \xNN; backslashes and quotes stay as they are. Safe on any terminal, never
// more than one line, but not meant to be read back.
std::string shownBytes(const std::string& bytes, const std::optional<codePage>& page);

// Reads a quoted text starting at `at` (the opening double quote) of `line`;
// `at` then stands after the closing quote. The result is text: \xNN from
// 0x80 up is the raw byte NN (rawByteText), other characters are copied. False
// with `problem` and `at` on the fault when the text is not closed, an escape
// is malformed, or it holds NUL (host texts end there).
bool readQuotedText(const std::string& line, std::size_t& at, std::string& text, std::string& problem);
// The same, for a line of host bytes (a trace's, or a scenario line already
// in the host's code page): \xNN is the byte NN, every other byte is
// copied. With quotedText(bytes, std::nullopt) the pair every trace text goes
// through.
bool readQuotedBytes(const std::string& line, std::size_t& at, std::string& bytes, std::string& problem);
// The word null (followed by a blank or the line's end) as none, or
// readQuotedBytes(); a problem names the field `what`.
bool readQuotedBytesOrNull(const std::string& line, std::size_t& at, const char* what,
                           std::optional<std::string>& bytes, std::string& problem);

// A field of a record as transcripts show it ("panel '1'"): "null" for
// none; in apostrophes, as it is, when it is printable ASCII without an
// apostrophe; else quotedText().
std::string shownField(const std::optional<std::string>& bytes, const std::optional<codePage>& page);

// ---- Texts as fields of scenario lines --------------------------------

// A text as a field of a scenario line: as it is where the bare form holds
// it (printable characters, no blanks at either end, no '#' after a blank,
// not starting with a double quote, not the word null, not starting with
// a word that makes another form of the line: nothing, result), else
// quoted. A word
// (a control or panel name) holds no blanks at all. `page` decodes the
// quoted form (nothing: plain ASCII).
std::string scenarioText(const std::string& bytes, const std::optional<codePage>& page);
std::string scenarioWord(const std::string& bytes, const std::optional<codePage>& page);
// A name as text (UTF-8, raw bytes as their private-use characters, as
// hostBytesToText gives it) as a word of a scenario line that means it: bare
// where the bare form holds it, else quoted with raw bytes and control
// characters as \xNN and every other character as itself.
std::string scenarioWordOfText(const std::string& text);
// "null", or scenarioText().
std::string scenarioTextOrNull(const std::optional<std::string>& bytes, const std::optional<codePage>& page);

}  // namespace panel_host
